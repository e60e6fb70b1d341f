#include "ComparisonText.hpp"

#include <array>

namespace cvunits {

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

const ComparisonEntry* entryOf(CvUnitSys::UnitComparison comparison) {
    const auto index = static_cast<std::size_t>(comparison);
    return index < entries.size() ? &entries[index] : nullptr;
}

} // namespace

std::string comparisonName(CvUnitSys::UnitComparison comparison) {
    const ComparisonEntry* entry = entryOf(comparison);
    return entry != nullptr ? entry->name : "Unknown";
}

std::string comparisonMeaning(CvUnitSys::UnitComparison comparison) {
    const ComparisonEntry* entry = entryOf(comparison);
    return entry != nullptr ? entry->meaning : "unknown comparison result";
}

bool isConvertible(CvUnitSys::UnitComparison comparison) {
    using namespace CvUnitSys;
    switch (comparison) {
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

} // namespace cvunits
