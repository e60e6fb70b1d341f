#pragma once

#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

namespace cvunits {

// Why two units do not convert, one line each, every line after `indent`:
// each side's dimensions, where they differ, the nearest fix and the unknown
// symbols with what they may have meant.
void printExplanation(std::ostream& out, const cv_units::Comparison& comparison,
                      const std::string& a, const std::string& b, const std::string& indent);
nlohmann::json explanationJson(const cv_units::Comparison& comparison);
// What the comparison code means for these units: units of different
// dimensions are not said to differ only in their physical quantities.
std::string meaningOf(const cv_units::Comparison& comparison);

// The library's comparison of two unit texts that do not convert; nothing
// when they do or when either is not a unit.
std::optional<cv_units::Comparison> whyNotConvertible(const std::string& from,
                                                      const std::string& to);

// When an absolute temperature inside a compound unit is what stops a
// conversion (degC/min to K/h), says so and gives the texts with temperature
// differences that do convert; nothing otherwise.
std::optional<std::string> temperatureHint(const std::string& from, const std::string& to);

} // namespace cvunits
