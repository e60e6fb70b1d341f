#include "units/foundation/ScaleConversionFactorRules.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"

namespace CvUnitSys {

ConversionFactorImpl::Ptr ScaleConversionFactorRules::multiply(double d,
                                                               const ConversionFactorImpl& g) {
    const double x = g.toDouble();
    if (g.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(d * x, d * g.getOffset());
    }
    if (g.isReciprocal()) {
        return std::make_unique<DoubleReciprocalConversionFactor>(x * d);
    }
    return std::make_unique<DoubleConversionFactor>(d * x);
}

ConversionFactorImpl::Ptr ScaleConversionFactorRules::divide(double d,
                                                             const ConversionFactorImpl& g) {
    const double x = g.toDouble();
    if (g.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(d / x, -g.getOffset() / x);
    }
    if (g.isReciprocal()) {
        return std::make_unique<DoubleReciprocalConversionFactor>(x / d);
    }
    return std::make_unique<DoubleConversionFactor>(d / x);
}

} // namespace CvUnitSys
