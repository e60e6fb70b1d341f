#pragma once

#include "units/foundation/UString.hpp"

#include <optional>
#include <string_view>

namespace CvUnitSys {

// The two ways parseExprForUnitComponents splits "expression@qualifier": by
// the grammar, and by hand for ASCII texts (nothing for any other text).
// Both are here so that tests can hold them to the same answers.
bool splitUnitComponentsByGrammar(std::u16string_view text, ustring& expressionPart,
                                  ustring& qualifierPart);
std::optional<bool> splitAsciiUnitComponents(std::u16string_view text, ustring& expressionPart,
                                             ustring& qualifierPart);

} // namespace CvUnitSys
