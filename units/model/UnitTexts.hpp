#pragma once

#include "units/foundation/UString.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

namespace CvUnitSys {

// The five texts of an entity in one immutable block that holds each distinct
// text once: for a registered expression the symbol, the ASCII symbol and the
// expression are usually one text. Copies share the block, so a table's copy of
// a database unit costs no text at all. Copies may live in different threads.
class UnitTexts {
public:
    enum Field : std::uint8_t { Name, Symbol, AsciiSymbol, Display, Expression };

    // Takes the distinct texts, leaves the others as they were.
    UnitTexts(ustring&& name, ustring&& symbol, ustring&& asciiSymbol, ustring&& display,
              ustring&& expression);
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

    const ustring& get(Field field) const {
        return block_->texts()[block_->layout >> (indexBits * field) & indexMask];
    }
    // No other copy holds the texts: the entity they came from is gone.
    bool isLastCopy() const { return block_->references.load(std::memory_order_acquire) == 1; }

private:
    // Each field's index into the texts, three bits apiece, then their count:
    // the header takes eight bytes, which keeps a block of three texts in a
    // 112-byte heap chunk rather than a 128-byte one.
    static constexpr unsigned indexBits = 3;
    static constexpr std::uint32_t indexMask = (1U << indexBits) - 1;
    static constexpr unsigned countShift = indexBits * 5;

    // Followed in the same allocation by `count` texts.
    struct alignas(ustring) Block {
        std::atomic<std::uint32_t> references{1};
        std::uint32_t layout = 0;

        std::uint32_t count() const { return layout >> countShift; }

        ustring* texts() {
            return std::launder(
                reinterpret_cast<ustring*>(reinterpret_cast<char*>(this) + sizeof(Block)));
        }
        const ustring* texts() const {
            return std::launder(reinterpret_cast<const ustring*>(
                reinterpret_cast<const char*>(this) + sizeof(Block)));
        }
    };

    Block* block_;
};

} // namespace CvUnitSys
