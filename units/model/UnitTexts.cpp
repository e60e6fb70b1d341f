#include "units/model/UnitTexts.hpp"

#include "units/foundation/TextEqual.hpp"

#include <algorithm>
#include <utility>

namespace CvUnitSys {

// One string may be given for several fields: it is moved from once.
UnitTexts::UnitTexts(ustring&& name, ustring&& symbol, ustring&& asciiSymbol, ustring&& display,
                     ustring&& expression) {
    std::array<ustring*, 5> given{&name, &symbol, &asciiSymbol, &display, &expression};
    std::array<ustring*, 5> distinct{};
    std::array<std::uint8_t, 5> index{};
    std::uint8_t count = 0;
    for (std::size_t field = 0; field < given.size(); ++field) {
        const ustring& text = *given[field];
        const auto end = distinct.begin() + count;
        const auto same = std::find_if(distinct.begin(), end, [&](const ustring* t) {
            return t == &text || sameText(*t, text);
        });
        index[field] = static_cast<std::uint8_t>(same - distinct.begin());
        if (same == end) {
            distinct[count++] = given[field];
        }
    }
    static_assert(sizeof(Block) == 8);
    void* memory = ::operator new(sizeof(Block) + count * sizeof(ustring));
    block_ = new (memory) Block;
    block_->layout = std::uint32_t{count} << countShift;
    for (std::size_t field = 0; field < index.size(); ++field) {
        block_->layout |= std::uint32_t{index[field]} << (indexBits * field);
    }
    ustring* texts = block_->texts();
    for (std::uint8_t i = 0; i < count; ++i) {
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
