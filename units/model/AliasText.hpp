#pragma once

#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// An alias given an empty text takes the text of what it refers to.
inline const ustring& orRefText(const ustring& given, const ustring& ref) {
    return given.empty() ? ref : given;
}

// The given text repeats the referenced one (an empty text does).
inline bool matchesRefText(const ustring& given, const ustring& ref) {
    return given.empty() || given == ref;
}

} // namespace CvUnitSys
