#pragma once

#include "units/expr/FormTexts.hpp"
#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <boost/container/small_vector.hpp>

namespace CvUnitSys {

class UnitDatabase;

// A unit expression parsed once for everything a new unit needs: its symbols
// with their exponents and what the built-in database answered for them while
// the texts were built, and its four converted texts.
struct UnitExprWithTexts {
    // Each symbol once, in the order of UnitExpr's map. Their texts are views
    // into the text parsed, or into `owned` when the grammar parsed it: the
    // text must stay as it is while they are read.
    boost::container::small_vector<ParsedSymbol, 4> symbols;
    // The converted texts; a form equal to the text parsed refers to it.
    FormTexts texts;
    // The database the symbols were looked up in.
    const UnitDatabase* lookedUpIn = nullptr;
    // Every symbol is a valid unit name (isValidStringForUnitName).
    bool symbolsAreNames = true;
    UnitExpr owned;

    // Throws as parseUnitExprThrows does.
    static UnitExprWithTexts parse(const ustring& text);
};

} // namespace CvUnitSys
