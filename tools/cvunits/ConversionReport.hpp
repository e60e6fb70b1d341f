#pragma once

#include "units/platform/IException.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cvunits {

// A refused request as the tool reports it.
struct Failure {
    std::string identifier;
    // Every message with its causes, one per line, a caret under parse errors.
    std::string message;
    // The same on one line, for line-oriented output.
    std::string summary;
};

Failure describe(const CvUnitSys::IUserException& e);

// The unit text registered strictly, so that a malformed text is refused with
// its own diagnostic rather than becoming an unresolved unit.
std::int32_t registerText(CvUnitSys::UnitTable& table, const std::string& text);

// A scale that overflowed to infinity or underflowed to zero converts nothing.
bool isRepresentable(const CvUnitSys::UnitNumericInfoForConversions& info);
inline constexpr const char* notRepresentableId = "cvunits:NotRepresentable";
inline constexpr const char* notRepresentableText =
    "the conversion factor is beyond the range of a double";

// Exponents of the fundamental units, zero entries left out.
using Dimensions = std::map<std::string, double>;

std::string dimensionsText(const Dimensions& dimensions);

// Why two registered units do not convert.
struct Explanation {
    std::optional<Dimensions> from;
    std::optional<Dimensions> to;
    // The fundamental units whose exponents differ, with both exponents.
    std::vector<std::string> differences;
    // The nearest change that would make them convert, when there is one.
    std::optional<std::string> fix;
    // Symbols no database defines, each with the closest known ones.
    std::vector<std::pair<std::string, std::vector<std::string>>> unknown;
};

Explanation explain(CvUnitSys::UnitTable& table, std::int32_t from, std::int32_t to);

} // namespace cvunits
