#pragma once

#include "units/foundation/UString.hpp"

#include <set>

namespace CvUnitSys {

// User input of the form "expression@qualifier" split for completion.
struct AutocompletionComponents {
    ustring expressionPart;
    bool hasQualifier = false;
    ustring qualifierPart;
};

// An expression being typed: the symbols already complete, the one being
// typed, and everything before it.
struct AutocompletionInfo {
    ustring lastToken;
    std::set<ustring> completedTokens;
    ustring leadingText;
};

// Splits at the first "@"; the qualifier keeps any further "@".
AutocompletionComponents getComponentsForAutoCompletion(const ustring& text);

// Splits at '(', '/', '*' and ')', drops each piece's exponent from its first
// '^' on; pieces are not trimmed.
AutocompletionInfo getInfoForAutocompletionFromUserExpression(const ustring& text);

} // namespace CvUnitSys
