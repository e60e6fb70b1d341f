#pragma once

#include <optional>
#include <string>

namespace cv_units {

// The shortest text that reads back as the same double.
std::string shortestText(double value);
// 17 significant digits: enough to carry any double exactly through text.
std::string fullPrecisionText(double value);
// Reads a decimal number in the C locale; nothing when the text is not one.
std::optional<double> parseNumber(const std::string& text);

} // namespace cv_units
