#pragma once

#include "units/query/UnitComparison.hpp"

#include <string>

namespace cvunits {

// The code's name, e.g. "ReciprocalUnits", and what it means for a user.
std::string comparisonName(CvUnitSys::UnitComparison comparison);
std::string comparisonMeaning(CvUnitSys::UnitComparison comparison);
// Whether a value in one unit can be converted to the other.
bool isConvertible(CvUnitSys::UnitComparison comparison);

} // namespace cvunits
