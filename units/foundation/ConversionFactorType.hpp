#pragma once

namespace CvUnitSys {

// The kind of a stored factor text; the values are those of the databases.
enum class ConversionFactorType : int {
    Double = 1,
    Rational = 2,
    ScaledRational = 3,
    RationalAffine = 4,
    DoubleAffine = 5,
    DoubleReciprocal = 6,
    Composite = 7,
};

} // namespace CvUnitSys
