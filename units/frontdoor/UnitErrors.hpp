#pragma once

// How the front door turns what went wrong into its one exception type.

#include "units/cv_units.hpp"
#include "units/platform/IException.hpp"

#include <string_view>

namespace cv_units {

// The library's diagnostic as a UnitError: its identifier, its message, the
// column of a parse error anywhere among its causes, and the suggestions given.
UnitError toUnitError(const CvUnitSys::IUserException& e, std::vector<Suggestion> suggestions = {});

// Throws "CvUnits:InvalidEncoding" when the text is not valid UTF-8 and
// "CvUnits:NulInText" when it holds a NUL, with the column where that starts.
void checkText(std::string_view text);

inline constexpr const char* notRepresentableId = "CvUnits:NotRepresentable";

} // namespace cv_units
