#pragma once

#include "units/foundation/UString.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <string_view>
#include <utility>

namespace CvUnitSys {

// The five texts of an entity in one immutable heap block: a header, then the
// characters of each distinct text once. For a registered expression the
// symbol, the ASCII symbol and the expression are usually one text. Copies
// share the block, so a table's copy of a database unit costs no text at all.
// Copies may live in different threads. The views handed out are valid while
// any copy lives.
//
// A registered expression's name and display forms are seldom asked for, and
// writing them costs a registration several per cent of its time: they may be
// made on the first request instead, from the expression, and kept with the
// block.
class UnitTexts {
public:
    enum Field : std::uint8_t { Name, Symbol, AsciiSymbol, Display, Expression };
    // The name and display forms of an expression, in that order.
    using FormsMaker = std::array<ustring, 2> (*)(std::u16string_view expression);

    // Copies the texts: the arguments may be views of anything, even of each other.
    UnitTexts(std::u16string_view name, std::u16string_view symbol, std::u16string_view asciiSymbol,
              std::u16string_view display, std::u16string_view expression);
    // The name and display forms are made by `maker` when first asked for. It
    // must give the same forms whenever it is called, from any thread.
    UnitTexts(std::u16string_view symbol, std::u16string_view asciiSymbol,
              std::u16string_view expression, FormsMaker maker);
    UnitTexts(const UnitTexts& other) noexcept : block_(other.block_) {
        block_->references.fetch_add(1, std::memory_order_relaxed);
    }
    // Leaves `other` empty: only destruction may follow.
    UnitTexts(UnitTexts&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    UnitTexts& operator=(const UnitTexts&) = delete;
    // Swaps, so that what was here leaves with `other`: lists of texts can be
    // reordered and erased from in place.
    UnitTexts& operator=(UnitTexts&& other) noexcept {
        std::swap(block_, other.block_);
        return *this;
    }
    ~UnitTexts();

    std::u16string_view get(Field field) const {
        const std::uint32_t i = block_->layout >> (indexBits * field) & indexMask;
        if (i == madeLater) [[unlikely]] {
            return made(field);
        }
        const std::uint32_t* starts = block_->starts();
        return {reinterpret_cast<const char16_t*>(block_) + starts[i], starts[i + 1] - starts[i]};
    }
    // The name and display forms are made when first asked for.
    bool formsMadeLater() const { return (block_->layout & indexMask) == madeLater; }
    // No other copy holds the texts: the entity they came from is gone.
    bool isLastCopy() const { return block_->references.load(std::memory_order_acquire) == 1; }

private:
    // Each field's index into the texts, three bits apiece.
    static constexpr unsigned indexBits = 3;
    static constexpr std::uint32_t indexMask = (1U << indexBits) - 1;
    // The index of a form made on first request: at most five texts are stored.
    static constexpr std::uint32_t madeLater = indexMask;

    // Followed in the same allocation by where each distinct text starts and,
    // last, where the final one ends, in characters from the block's start;
    // then the characters of all of them. Reading a stored field takes one
    // branch, which tells it from a form made later.
    struct Block {
        std::atomic<std::uint32_t> references{1};
        std::uint32_t layout = 0;

        std::uint32_t* starts() { return std::launder(reinterpret_cast<std::uint32_t*>(this + 1)); }
        const std::uint32_t* starts() const {
            return std::launder(reinterpret_cast<const std::uint32_t*>(this + 1));
        }
    };

    // Just before the block when its name and display forms are made later.
    struct Later {
        FormsMaker maker;
        std::atomic<const std::array<ustring, 2>*> forms{nullptr};
    };
    static_assert(sizeof(Later) % alignof(Block) == 0);

    // Lays out the distinct texts given for the fields not made later.
    void build(const std::array<std::u16string_view, 5>& given, FormsMaker maker);
    Later* later() const {
        return std::launder(
            reinterpret_cast<Later*>(reinterpret_cast<char*>(block_) - sizeof(Later)));
    }
    std::u16string_view made(Field field) const;

    Block* block_;
};

} // namespace CvUnitSys
