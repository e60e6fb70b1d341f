#pragma once

#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <vector>

namespace CvUnitSys {

class UnitBase;
class UnitDatabase;

// A unit expression parsed once for everything a new unit needs: its symbols
// with their exponents, its four converted texts indexed by
// ConversionFormatType, and what the built-in database answered for its
// symbols while the texts were built.
struct UnitExprWithTexts {
    UnitExpr expr;
    std::array<ustring, 4> texts;
    // The database the symbols were looked up in, and the first unit it has for
    // each symbol of `expr`, in the expression's order; null where it has none
    // or the answer was not kept.
    const UnitDatabase* lookedUpIn = nullptr;
    std::vector<const UnitBase*> firstUnits;

    // Throws as parseUnitExprThrows does.
    static UnitExprWithTexts parse(const ustring& text);
};

} // namespace CvUnitSys
