#pragma once

// The words the front door and the tool give to a comparison code.

#include "units/cv_units.hpp"

namespace cv_units {

// The name and explanation as texts that live as long as the program.
const char* comparisonNameText(int code);
const char* comparisonExplanationText(int code);

// Whether a value in one unit can be converted to the other: the codes the
// query interface treats as convertible.
bool isConvertible(int code);

} // namespace cv_units
