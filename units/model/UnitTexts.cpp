#include "units/model/UnitTexts.hpp"

#include "units/foundation/TextEqual.hpp"

#include <utility>

namespace CvUnitSys {

// One string may be given for several fields: it is moved from once.
UnitTexts::UnitTexts(ustring&& name, ustring&& symbol, ustring&& asciiSymbol, ustring&& display,
                     ustring&& expression) {
    ustring* const given[] = {&name, &symbol, &asciiSymbol, &display, &expression};
    std::array<ustring*, 5> distinct{};
    std::uint32_t layout = 0;
    std::uint32_t count = 0;
    for (std::uint32_t field = 0; field < 5; ++field) {
        ustring* const text = given[field];
        std::uint32_t i = 0;
        while (i < count && distinct[i] != text && !sameText(*distinct[i], *text)) {
            ++i;
        }
        if (i == count) {
            distinct[count++] = text;
        }
        layout |= i << (indexBits * field);
    }
    static_assert(sizeof(Block) == 8);
    void* memory = ::operator new(sizeof(Block) + count * sizeof(ustring));
    block_ = new (memory) Block;
    block_->layout = layout | count << countShift;
    ustring* texts = block_->texts();
    for (std::uint32_t i = 0; i < count; ++i) {
        new (texts + i) ustring(std::move(*distinct[i]));
    }
}

UnitTexts::~UnitTexts() {
    if (block_ == nullptr || block_->references.fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    ustring* texts = block_->texts();
    for (std::uint32_t i = 0; i < block_->count(); ++i) {
        texts[i].~ustring();
    }
    block_->~Block();
    // Unsized: clang does not declare the sized form unless asked to.
    ::operator delete(block_);
}

} // namespace CvUnitSys
