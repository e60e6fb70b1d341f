#pragma once

#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <array>

namespace CvUnitSys {

// A unit expression parsed once for everything a new unit needs: its symbols
// with their exponents, and its four converted texts indexed by
// ConversionFormatType.
struct UnitExprWithTexts {
    UnitExpr expr;
    std::array<ustring, 4> texts;

    // Throws as parseUnitExprThrows does.
    static UnitExprWithTexts parse(const ustring& text);
};

} // namespace CvUnitSys
