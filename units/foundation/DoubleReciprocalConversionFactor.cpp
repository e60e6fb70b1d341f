#include "units/foundation/DoubleReciprocalConversionFactor.hpp"

#include "units/foundation/DoubleConversionFactor.hpp"

#include <cmath>

namespace CvUnitSys {

ConversionFactorImpl::Ptr DoubleReciprocalConversionFactor::clone() const {
    return std::make_unique<DoubleReciprocalConversionFactor>(*this);
}

// r / (r2 / x) is a plain scale; r / (x * v) stays reciprocal. An offset
// cannot be carried through an inversion.
ConversionFactorImpl::Ptr
DoubleReciprocalConversionFactor::operator*(const ConversionFactorImpl& o) const {
    if (o.isAffine()) {
        return nullptr;
    }
    if (o.isReciprocal()) {
        return std::make_unique<DoubleConversionFactor>(value_ / o.toDouble());
    }
    return std::make_unique<DoubleReciprocalConversionFactor>(value_ / o.toDouble());
}

ConversionFactorImpl::Ptr DoubleReciprocalConversionFactor::operator^(const Exponent& e) const {
    return std::make_unique<DoubleReciprocalConversionFactor>(
        std::pow(value_, e.getSimplifiedExpo()));
}

ConversionFactorImpl::Ptr
DoubleReciprocalConversionFactor::operator/(const ConversionFactorImpl& o) const {
    if (o.isAffine()) {
        return nullptr;
    }
    if (o.isReciprocal()) {
        return std::make_unique<DoubleConversionFactor>(o.toDouble() / value_);
    }
    return std::make_unique<DoubleReciprocalConversionFactor>(value_ / o.toDouble());
}

ConversionFactorImpl::Ptr DoubleReciprocalConversionFactor::operator-() const {
    return std::make_unique<DoubleReciprocalConversionFactor>(-value_);
}

bool DoubleReciprocalConversionFactor::operator==(const ConversionFactorImpl& o) const {
    return value_ == o.toDouble();
}

bool DoubleReciprocalConversionFactor::operator<(const ConversionFactorImpl& o) const {
    return value_ < o.toDouble();
}

ustring DoubleReciprocalConversionFactor::toUString() const {
    return DoubleConversionFactor(value_).toUString() + u"/x";
}

} // namespace CvUnitSys
