#pragma once

#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// y = scaling * x + offset in double precision.
class DoubleAffineConversionFactor final : public AffineConversionFactorImpl {
public:
    DoubleAffineConversionFactor(double scaling, double offset)
        : scaling_(scaling), offset_(offset) {}

    Ptr clone() const override;
    Ptr operator-() const override;
    const ConversionFactorImpl& getScalingFactor() const override { return scaling_; }
    const ConversionFactorImpl& getOffsetFactor() const override { return offset_; }

    // "scaling*x+offset".
    ustring toUString() const;

private:
    DoubleConversionFactor scaling_;
    DoubleConversionFactor offset_;
};

} // namespace CvUnitSys
