#include "units/frontdoor/ComparisonText.hpp"

#include "units/query/UnitComparison.hpp"

#include <array>

namespace cv_units {

namespace {

struct ComparisonEntry {
    const char* name;
    const char* meaning;
};

constexpr std::array<ComparisonEntry, 10> entries = {{
    {"Equivalent", "the units are the same"},
    {"IncompatibleUnits", "the units measure different physical quantities"},
    {"DifferentPhysicalQuantities", "the physical quantities differ"},
    {"InheritCompatible", "one side inherits its unit and the other fits it"},
    {"CanonicalScalingFactorDifference", "the units differ by a scaling factor"},
    {"DimensionallyInequivalent", "the units have different dimensions"},
    {"DifferentOffsets", "the units differ by an offset (and possibly a scale)"},
    {"ReciprocalUnits", "the units are reciprocal: converting inverts the value"},
    {"UnresolvedUnits", "at least one of the units is not defined"},
    {"MixedUnits", "one side has mixed units"},
}};

const ComparisonEntry* entryOf(int code) {
    return code >= 0 && static_cast<std::size_t>(code) < entries.size()
               ? &entries[static_cast<std::size_t>(code)]
               : nullptr;
}

} // namespace

const char* comparisonNameText(int code) {
    const ComparisonEntry* entry = entryOf(code);
    return entry != nullptr ? entry->name : "Unknown";
}

const char* comparisonExplanationText(int code) {
    const ComparisonEntry* entry = entryOf(code);
    return entry != nullptr ? entry->meaning : "unknown comparison result";
}

std::string comparisonName(int code) {
    return comparisonNameText(code);
}

std::string comparisonExplanation(int code) {
    return comparisonExplanationText(code);
}

bool isConvertible(int code) {
    using namespace CvUnitSys;
    switch (code) {
    case Equivalent:
    case InheritCompatible:
    case CanonicalScalingFactorDifference:
    case DifferentOffsets:
    case ReciprocalUnits:
        return true;
    default:
        return false;
    }
}

} // namespace cv_units
