#pragma once

#include "units/expr/ExprNesting.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <string_view>

// Parses `text` and writes its entries into `out` (callers pass an empty one).
// A syntax error throws "CorvaneTypes:Unit:ParsingError" with the text and the
// 1-based column; text with an unpaired surrogate throws std::out_of_range.
void parseUnitExprThrows(const ustring& text, UnitExpr& out);

// As above, but a parsing error gives false and leaves `out` untouched.
bool parseUnitExprNoThrow(const ustring& text, UnitExpr& out);

// Splits "expression@qualifier" into its two parts, either of which may be
// absent; false when the text is not of that form.
bool parseExprForUnitComponents(std::u16string_view text, ustring& expressionPart,
                                ustring& qualifierPart);
