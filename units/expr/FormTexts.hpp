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
    // A form not written: the unit makes it when it is asked for.
    static constexpr std::uint8_t madeLater = 5;

    std::array<std::u16string_view, 4> texts;
    // Where each form's text is: an index into `texts`, or convertedText.
    std::array<std::uint8_t, 4> origin{0, 1, 2, 3};

    // Whether the display and name forms are left to be made later.
    bool formsMadeLater() const { return origin[0] == madeLater; }
    // The form's text, `converted` being the text converted. Forms may share
    // one view. Not for a form made later.
    std::u16string_view of(std::size_t form, std::u16string_view converted) const {
        return origin[form] == convertedText ? converted : texts[origin[form]];
    }
};

} // namespace CvUnitSys
