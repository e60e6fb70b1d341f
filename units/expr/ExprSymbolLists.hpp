#pragma once

#include "units/foundation/UString.hpp"

#include <vector>

namespace CvUnitSys {

class UnitDBSet;

// The symbols of an expression that `set` does not define, in the parsed
// expression's order. A text that does not parse is one undefined unit: the
// result is the whole text.
std::vector<ustring> getUndefinedUnitsFromExpr(const ustring& text, const UnitDBSet& set);

// The symbols of an expression that several user databases define, as the
// database manager records them; `set` is not consulted. A text that does not
// parse gives the whole text.
std::vector<ustring> getAmbiguousUnitsFromExpr(const ustring& text, const UnitDBSet& set);

} // namespace CvUnitSys
