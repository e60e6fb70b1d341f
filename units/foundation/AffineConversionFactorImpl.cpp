#include "units/foundation/AffineConversionFactorImpl.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"

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
    const double a = toDouble();
    const double b = getOffset();
    if (o.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(a * o.toDouble(),
                                                              o.getOffset() * a + b);
    }
    return std::make_unique<DoubleAffineConversionFactor>(a * o.toDouble(), b);
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
    const double a = toDouble();
    const double b = getOffset();
    const double x = o.toDouble();
    if (o.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(a / x, (b - o.getOffset()) / x);
    }
    return std::make_unique<DoubleAffineConversionFactor>(a / x, b / x);
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
