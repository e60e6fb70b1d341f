#include "units/foundation/ExtendedValue.hpp"

#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/ScaledRational.hpp"

#include <cmath>

namespace CvUnitSys {

long double extendedValue(const ConversionFactorImpl& f) {
    if (const auto* q = dynamic_cast<const ScaledRational*>(&f)) {
        return static_cast<long double>(q->getNumerator()) /
               static_cast<long double>(q->getDenominator()) *
               std::pow(10.0L, static_cast<long double>(q->getScale()));
    }
    if (const auto* affine = dynamic_cast<const AffineConversionFactorImpl*>(&f)) {
        return extendedValue(affine->getScalingFactor());
    }
    return f.toDouble();
}

long double extendedOffset(const ConversionFactorImpl& f) {
    if (const auto* affine = dynamic_cast<const AffineConversionFactorImpl*>(&f)) {
        return extendedValue(affine->getOffsetFactor());
    }
    return 0.0L;
}

} // namespace CvUnitSys
