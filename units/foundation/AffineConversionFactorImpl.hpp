#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

// y = a * x + b. A zero offset makes the factor a plain scale: isAffine() is
// then false and every combination follows the scaling's own rules.
class AffineConversionFactorImpl : public ConversionFactorImpl {
public:
    Ptr operator*(const ConversionFactorImpl& o) const override;
    Ptr operator^(const Exponent& e) const override;
    Ptr operator/(const ConversionFactorImpl& o) const override;
    bool operator==(const ConversionFactorImpl& o) const override;
    bool operator<(const ConversionFactorImpl& o) const override;
    double toDouble() const override { return getScalingFactor().toDouble(); }
    double getOffset() const override { return getOffsetFactor().toDouble(); }
    bool isAffine() const override { return getOffset() != 0.0; }

    virtual const ConversionFactorImpl& getScalingFactor() const = 0;
    virtual const ConversionFactorImpl& getOffsetFactor() const = 0;
};

} // namespace CvUnitSys
