#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"
#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// y = d * x.
class DoubleConversionFactor final : public ConversionFactorImpl {
public:
    explicit DoubleConversionFactor(double value) : value_(value) {}

    Ptr clone() const override;
    Ptr operator*(const ConversionFactorImpl& o) const override;
    Ptr operator^(const Exponent& e) const override;
    Ptr operator/(const ConversionFactorImpl& o) const override;
    Ptr operator-() const override;
    bool operator==(const ConversionFactorImpl& o) const override;
    bool operator<(const ConversionFactorImpl& o) const override;
    double toDouble() const override { return value_; }
    // What operator^ gives, without allocating.
    DoubleConversionFactor power(const Exponent& e) const;

    // Shortest text that reads back to the same double.
    ustring toUString() const;

private:
    double value_;
};

} // namespace CvUnitSys
