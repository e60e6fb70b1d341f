#include "units/model/UnitTexts.hpp"

#include "units/foundation/TextEqual.hpp"

#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace CvUnitSys {

UnitTexts::UnitTexts(std::u16string_view name, std::u16string_view symbol,
                     std::u16string_view asciiSymbol, std::u16string_view display,
                     std::u16string_view expression) {
    const std::array<std::u16string_view, 5> given{name, symbol, asciiSymbol, display, expression};
    std::array<std::u16string_view, 5> distinct;
    std::uint32_t layout = 0;
    std::uint32_t count = 0;
    std::size_t characters = 0;
    for (std::uint32_t field = 0; field < 5; ++field) {
        const std::u16string_view text = given[field];
        std::uint32_t i = 0;
        // Most shared texts are one view given for several fields.
        while (i < count &&
               !(distinct[i].data() == text.data() && distinct[i].size() == text.size()) &&
               !sameText(distinct[i], text)) {
            ++i;
        }
        if (i == count) {
            distinct[count++] = text;
            characters += text.size();
        }
        layout |= i << (indexBits * field);
    }
    static_assert(sizeof(Block) == 8 && alignof(Block) == alignof(std::uint32_t));
    const std::size_t header = sizeof(Block) + (count + 1) * sizeof(std::uint32_t);
    // The offsets are 32-bit: 4G characters is far past any text a host holds.
    if (characters > std::numeric_limits<std::uint32_t>::max() / 2) {
        throw std::length_error("UnitTexts: texts too long");
    }
    void* memory = ::operator new(header + characters * sizeof(char16_t));
    block_ = new (memory) Block;
    block_->layout = layout;
    std::uint32_t* starts = block_->starts();
    auto at = static_cast<std::uint32_t>(header / sizeof(char16_t));
    char16_t* const first = reinterpret_cast<char16_t*>(block_);
    for (std::uint32_t i = 0; i < count; ++i) {
        starts[i] = at;
        // memcpy of nothing from a null view is undefined: skipped.
        if (!distinct[i].empty()) {
            std::memcpy(first + at, distinct[i].data(), distinct[i].size() * sizeof(char16_t));
        }
        at += static_cast<std::uint32_t>(distinct[i].size());
    }
    starts[count] = at;
}

UnitTexts::~UnitTexts() {
    if (block_ == nullptr || block_->references.fetch_sub(1, std::memory_order_acq_rel) != 1) {
        return;
    }
    block_->~Block();
    // Unsized: clang does not declare the sized form unless asked to.
    ::operator delete(block_);
}

} // namespace CvUnitSys
