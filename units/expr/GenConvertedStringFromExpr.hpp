#pragma once

#include "units/expr/ConversionFormatType.hpp"
#include "units/foundation/UString.hpp"

#include <array>

// Rewrites a unit expression in one of the output forms, taking each symbol's
// text from the built-in database when exactly one unit matches it. Never
// throws for bad input: what was converted before parsing stopped is returned;
// a form outside the enumeration gives "".
ustring genConvertedStringFromExpr(const ustring& text, CvUnitSys::ConversionFormatType form);

namespace CvUnitSys {

// All four forms from one parse, indexed by ConversionFormatType.
std::array<ustring, 4> genConvertedStringsFromExpr(const ustring& text);

} // namespace CvUnitSys
