#pragma once

#include "units/foundation/ConversionFactor.hpp"

#include <optional>
#include <string>

namespace cvunits {

// The shortest text that reads back as the same double.
std::string shortestText(double value);
// 17 significant digits: enough to carry any double exactly through text.
std::string fullPrecisionText(double value);
// Reads a decimal number in the C locale; nothing when the text is not one.
std::optional<double> parseNumber(const std::string& text);

// The exact value of a rational factor, "381/1250" or "1000"; for an affine
// factor "9/5*x + 32". A factor held as a double counts as rational when a short
// decimal or a fraction with a small denominator gives that very double.
std::optional<std::string> exactFactorText(const CvUnitSys::ConversionFactor& factor);

} // namespace cvunits
