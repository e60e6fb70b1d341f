#pragma once

#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace cvunits {

// Why two units do not convert, one line each, every line after `indent`:
// each side's dimensions, where they differ, the nearest fix and the unknown
// symbols with what they may have meant.
void printExplanation(std::ostream& out, const cv_units::Comparison& comparison,
                      const std::string& a, const std::string& b, const std::string& indent);
nlohmann::json explanationJson(const cv_units::Comparison& comparison);

} // namespace cvunits
