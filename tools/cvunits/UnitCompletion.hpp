#pragma once

// What TAB completes at the prompt: the unit word under the cursor, as the
// library's autocompletion ranks it.

#include "LineEditor.hpp"
#include "units/db/UnitDBSet.hpp"

#include <string_view>

namespace cvunits {

// Completes the last word of the unit text that ends `beforeCursor` (after
// '*', '/', '(' or a space, the next unit; after '@', a quantity). One choice
// is taken whole; several are narrowed to what they share, and listed, best
// first, when that adds nothing.
Completion completeUnitWord(const CvUnitSys::UnitDBSet& set, std::string_view beforeCursor);

} // namespace cvunits
