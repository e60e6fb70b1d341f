#pragma once

#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <boost/container/small_vector.hpp>
#include <cstdint>

namespace CvUnitSys {

class UnitDatabase;

// A unit expression parsed once for everything a new unit needs: its symbols
// with their exponents and what the built-in database answered for them while
// the texts were built, and its four converted texts indexed by
// ConversionFormatType.
struct UnitExprWithTexts {
    // Each symbol once, in the order of UnitExpr's map. Their texts are views
    // into the text parsed, or into `owned` when the grammar parsed it: the
    // text must stay as it is while they are read.
    boost::container::small_vector<ParsedSymbol, 4> symbols;
    std::array<ustring, 4> texts;
    // The forms equal to the text parsed, by bit 1 << form: those are left
    // empty in `texts` rather than copied.
    std::uint8_t sameAsText = 0;
    // The database the symbols were looked up in.
    const UnitDatabase* lookedUpIn = nullptr;
    UnitExpr owned;

    // Throws as parseUnitExprThrows does.
    static UnitExprWithTexts parse(const ustring& text);
};

} // namespace CvUnitSys
