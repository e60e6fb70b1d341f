#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

// A factor's scaling and offset in extended precision. Affine rules combine
// scalings and offsets with subtractions that cancel (degC to degF subtracts
// 255.37 from 273.15); working on the exact rationals in long double and
// rounding once keeps such results at the double nearest to their value.
long double extendedValue(const ConversionFactorImpl& f);
long double extendedOffset(const ConversionFactorImpl& f);

} // namespace CvUnitSys
