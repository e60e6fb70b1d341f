#pragma once

#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/ScaledRational.hpp"
#include "units/foundation/UString.hpp"

#include <cstdint>

namespace CvUnitSys {

// y = scaling * x + offset with both parts exact. Combinations with other
// factors are computed in double precision (DoubleAffineConversionFactor).
class RationalAffineConversionFactor final : public AffineConversionFactorImpl {
public:
    RationalAffineConversionFactor(const ScaledRational& scaling, const ScaledRational& offset);
    RationalAffineConversionFactor(std::int64_t scalingNumerator, std::int64_t scalingDenominator,
                                   std::int32_t scalingScale, std::int64_t offsetNumerator,
                                   std::int64_t offsetDenominator, std::int32_t offsetScale);
    // "scalingNumerator,scalingDenominator,offsetNumerator,offsetDenominator",
    // scales 0. Anything unreadable keeps scaling 1 and offset 0; a zero
    // denominator throws boost::bad_rational.
    explicit RationalAffineConversionFactor(const ustring& text);

    Ptr clone() const override;
    Ptr operator-() const override;
    const ConversionFactorImpl& getScalingFactor() const override { return scaling_; }
    const ConversionFactorImpl& getOffsetFactor() const override { return offset_; }

    // "(scaling)*x+(offset)" with both parts as ScaledRational text.
    ustring toUString() const;

private:
    ScaledRational scaling_{1, 1, 0};
    ScaledRational offset_{0, 1, 0};
};

} // namespace CvUnitSys
