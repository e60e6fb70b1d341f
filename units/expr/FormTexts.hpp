#pragma once

#include "units/foundation/UString.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace CvUnitSys {

// An expression's four converted texts, indexed by ConversionFormatType, with
// each text made once: a form equal to the text it was converted from, or
// equal by construction to another form, is not copied but refers to it.
struct FormTexts {
    static constexpr std::uint8_t convertedText = 4;

    std::array<ustring, 4> texts;
    // Where each form's text is: an index into `texts`, or convertedText.
    std::array<std::uint8_t, 4> origin{0, 1, 2, 3};

    // The form's text, `converted` being the text converted. Forms may share
    // one string.
    ustring& of(std::size_t form, ustring& converted) {
        return origin[form] == convertedText ? converted : texts[origin[form]];
    }
    const ustring& of(std::size_t form, const ustring& converted) const {
        return origin[form] == convertedText ? converted : texts[origin[form]];
    }
};

} // namespace CvUnitSys
