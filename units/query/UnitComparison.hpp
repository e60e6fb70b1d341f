#pragma once

namespace CvUnitSys {

// How two units relate, from the same to unrelated.
enum UnitComparison : int {
    Equivalent = 0,
    IncompatibleUnits = 1,
    DifferentPhysicalQuantities = 2,
    InheritCompatible = 3,
    CanonicalScalingFactorDifference = 4,
    DimensionallyInequivalent = 5,
    DifferentOffsets = 6,
    ReciprocalUnits = 7,
    UnresolvedUnits = 8,
    MixedUnits = 9
};

// Whether values convert between two units so compared: the same unit, inherit
// against a unit, or units differing by a scale, an offset or an inversion.
constexpr bool allowsConversion(UnitComparison comparison) {
    return comparison == Equivalent || comparison == InheritCompatible ||
           comparison == CanonicalScalingFactorDifference || comparison == DifferentOffsets ||
           comparison == ReciprocalUnits;
}

} // namespace CvUnitSys
