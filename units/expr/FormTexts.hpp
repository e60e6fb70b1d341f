#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace CvUnitSys {

// An expression's four converted texts, indexed by ConversionFormatType, as
// views into the buffers of whatever wrote them, which must outlive them. A
// form equal to the text it was converted from, or equal by construction to
// another form, refers to that text instead.
struct FormTexts {
    static constexpr std::uint8_t convertedText = 4;

    std::array<std::u16string_view, 4> texts;
    // Where each form's text is: an index into `texts`, or convertedText.
    std::array<std::uint8_t, 4> origin{0, 1, 2, 3};

    // The form's text, `converted` being the text converted. Forms may share
    // one view.
    std::u16string_view of(std::size_t form, std::u16string_view converted) const {
        return origin[form] == convertedText ? converted : texts[origin[form]];
    }
};

} // namespace CvUnitSys
