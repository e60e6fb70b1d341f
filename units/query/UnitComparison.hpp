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

} // namespace CvUnitSys
