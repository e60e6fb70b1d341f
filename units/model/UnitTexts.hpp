#pragma once

#include "units/foundation/UString.hpp"

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
class UnitTexts {
public:
    enum Field : std::uint8_t { Name, Symbol, AsciiSymbol, Display, Expression };

    // Copies the texts: the arguments may be views of anything, even of each other.
    UnitTexts(std::u16string_view name, std::u16string_view symbol, std::u16string_view asciiSymbol,
              std::u16string_view display, std::u16string_view expression);
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
        const std::uint32_t* starts = block_->starts();
        return {reinterpret_cast<const char16_t*>(block_) + starts[i], starts[i + 1] - starts[i]};
    }
    // No other copy holds the texts: the entity they came from is gone.
    bool isLastCopy() const { return block_->references.load(std::memory_order_acquire) == 1; }

private:
    // Each field's index into the texts, three bits apiece.
    static constexpr unsigned indexBits = 3;
    static constexpr std::uint32_t indexMask = (1U << indexBits) - 1;

    // Followed in the same allocation by where each distinct text starts and,
    // last, where the final one ends, in characters from the block's start;
    // then the characters of all of them. Reading a field takes no branch.
    struct Block {
        std::atomic<std::uint32_t> references{1};
        std::uint32_t layout = 0;

        std::uint32_t* starts() { return std::launder(reinterpret_cast<std::uint32_t*>(this + 1)); }
        const std::uint32_t* starts() const {
            return std::launder(reinterpret_cast<const std::uint32_t*>(this + 1));
        }
    };

    Block* block_;
};

} // namespace CvUnitSys
