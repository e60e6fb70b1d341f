#include "units/foundation/AffineConversionFactorImpl.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/ExtendedValue.hpp"

namespace CvUnitSys {

namespace {

const AffineConversionFactorImpl& asAffine(const ConversionFactorImpl& f) {
    return dynamic_cast<const AffineConversionFactorImpl&>(f);
}

} // namespace

ConversionFactorImpl::Ptr
AffineConversionFactorImpl::operator*(const ConversionFactorImpl& o) const {
    if (!isAffine()) {
        return getScalingFactor() * o;
    }
    if (o.isReciprocal()) {
        return nullptr;
    }
    const long double a = extendedValue(*this);
    const long double b = extendedOffset(*this);
    const long double x = extendedValue(o);
    const long double offset = o.isAffine() ? extendedOffset(o) * a + b : b;
    return std::make_unique<DoubleAffineConversionFactor>(static_cast<double>(a * x),
                                                          static_cast<double>(offset));
}

// Powers of a shifted map are not maps of the same family.
ConversionFactorImpl::Ptr AffineConversionFactorImpl::operator^(const Exponent& e) const {
    if (!isAffine()) {
        return getScalingFactor() ^ e;
    }
    if (e == 1) {
        return clone();
    }
    return nullptr;
}

ConversionFactorImpl::Ptr
AffineConversionFactorImpl::operator/(const ConversionFactorImpl& o) const {
    if (!isAffine()) {
        return getScalingFactor() / o;
    }
    if (o.isReciprocal()) {
        return nullptr;
    }
    const long double a = extendedValue(*this);
    const long double b = extendedOffset(*this);
    const long double x = extendedValue(o);
    const long double offset = o.isAffine() ? (b - extendedOffset(o)) / x : b / x;
    return std::make_unique<DoubleAffineConversionFactor>(static_cast<double>(a / x),
                                                          static_cast<double>(offset));
}

bool AffineConversionFactorImpl::operator==(const ConversionFactorImpl& o) const {
    if (isAffine() != o.isAffine()) {
        return false;
    }
    if (!o.isAffine()) {
        return getScalingFactor() == o;
    }
    const AffineConversionFactorImpl& other = asAffine(o);
    return getScalingFactor() == other.getScalingFactor() &&
           getOffsetFactor() == other.getOffsetFactor();
}

bool AffineConversionFactorImpl::operator<(const ConversionFactorImpl& o) const {
    if (!o.isAffine()) {
        if (getScalingFactor() == o) {
            return getOffset() < 0.0;
        }
        return getScalingFactor() < o;
    }
    const AffineConversionFactorImpl& other = asAffine(o);
    if (getScalingFactor() == other.getScalingFactor()) {
        return getOffsetFactor() < other.getOffsetFactor();
    }
    return getScalingFactor() < other.getScalingFactor();
}

} // namespace CvUnitSys
