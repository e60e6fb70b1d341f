#pragma once

#include "units/foundation/ReciprocalConversionFactorImpl.hpp"
#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// y = r / x. toDouble() is r itself, not its inverse.
class DoubleReciprocalConversionFactor final : public ReciprocalConversionFactorImpl {
public:
    explicit DoubleReciprocalConversionFactor(double value) : value_(value) {}

    Ptr clone() const override;
    Ptr operator*(const ConversionFactorImpl& o) const override;
    Ptr operator^(const Exponent& e) const override;
    Ptr operator/(const ConversionFactorImpl& o) const override;
    Ptr operator-() const override;
    bool operator==(const ConversionFactorImpl& o) const override;
    bool operator<(const ConversionFactorImpl& o) const override;
    double toDouble() const override { return value_; }

    // "r/x".
    ustring toUString() const;

private:
    double value_;
};

} // namespace CvUnitSys
