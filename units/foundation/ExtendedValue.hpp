#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

class ScaledRational;

// A factor's scaling and offset in extended precision. Affine rules combine
// scalings and offsets with subtractions that cancel (degC to degF subtracts
// 255.37 from 273.15); working on the exact rationals in long double and
// rounding once keeps such results at the double nearest to their value.
long double extendedValue(const ConversionFactorImpl& f);
// The same for a known exact scale, without finding out its kind.
long double extendedValue(const ScaledRational& q);
long double extendedOffset(const ConversionFactorImpl& f);

} // namespace CvUnitSys
