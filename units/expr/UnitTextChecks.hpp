#pragma once

#include "units/foundation/UString.hpp"

#include <string_view>

namespace CvUnitSys {

// The expression in Unicode normalisation form NFC.
ustring normalizeUnitExpression(const ustring& text);

// True when every character is a name character (see CharacterClasses.hpp) and
// none is one of the operators "@*/^()+-,[]"; the empty text is valid.
bool isValidStringForUnitName(std::u16string_view text);

// True when every UTF-16 code unit is at most 127; the empty text is valid.
bool isValidAsciiString(const ustring& text);

} // namespace CvUnitSys
