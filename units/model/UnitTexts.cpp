#include "units/model/UnitTexts.hpp"

#include "units/foundation/TextEqual.hpp"

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

namespace CvUnitSys {

UnitTexts::UnitTexts(std::u16string_view name, std::u16string_view symbol,
                     std::u16string_view asciiSymbol, std::u16string_view display,
                     std::u16string_view expression) {
    build({name, symbol, asciiSymbol, display, expression}, nullptr);
}

UnitTexts::UnitTexts(std::u16string_view symbol, std::u16string_view asciiSymbol,
                     std::u16string_view expression, FormsMaker maker) {
    const std::u16string_view none;
    build({none, symbol, asciiSymbol, none, expression}, maker);
}

void UnitTexts::build(const std::array<std::u16string_view, 5>& given, FormsMaker maker) {
    std::array<std::u16string_view, 5> distinct;
    std::uint32_t layout = 0;
    std::uint32_t count = 0;
    std::size_t characters = 0;
    for (std::uint32_t field = 0; field < 5; ++field) {
        if (maker != nullptr && (field == Name || field == Display)) {
            layout |= madeLater << (indexBits * field);
            continue;
        }
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
    const std::size_t before = maker != nullptr ? sizeof(Later) : 0;
    void* memory = ::operator new(before + header + characters * sizeof(char16_t));
    if (maker != nullptr) {
        new (memory) Later{maker};
    }
    block_ = new (static_cast<char*>(memory) + before) Block;
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
    void* memory = block_;
    if (formsMadeLater()) {
        Later* const kept = later();
        delete kept->forms.load(std::memory_order_acquire);
        kept->~Later();
        memory = kept;
    }
    block_->~Block();
    // Unsized: clang does not declare the sized form unless asked to.
    ::operator delete(memory);
}

std::u16string_view UnitTexts::made(Field field) const {
    Later& kept = *later();
    const std::array<ustring, 2>* forms = kept.forms.load(std::memory_order_acquire);
    if (forms == nullptr) {
        // Threads asking at once each make the forms; the first to publish wins.
        auto fresh = std::make_unique<const std::array<ustring, 2>>(kept.maker(get(Expression)));
        if (kept.forms.compare_exchange_strong(forms, fresh.get(), std::memory_order_acq_rel,
                                               std::memory_order_acquire)) {
            forms = fresh.release();
        }
    }
    return (*forms)[field == Name ? 0 : 1];
}

} // namespace CvUnitSys
