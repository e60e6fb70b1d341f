#pragma once

#include "units/foundation/UString.hpp"

#include <string_view>

namespace CvUnitSys {

// An alias given an empty text takes the text of what it refers to.
inline std::u16string_view orRefText(const ustring& given, std::u16string_view ref) {
    return given.empty() ? ref : std::u16string_view(given);
}

// The given text repeats the referenced one (an empty text does).
inline bool matchesRefText(const ustring& given, std::u16string_view ref) {
    return given.empty() || given == ref;
}

} // namespace CvUnitSys
