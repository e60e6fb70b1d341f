#pragma once

#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// Display texts are typeset, where an underscore would start a subscript: each
// underscore is written "\_".
ustring escapeUnderscores(const ustring& text);

} // namespace CvUnitSys
