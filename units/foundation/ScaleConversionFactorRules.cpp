#include "units/foundation/ScaleConversionFactorRules.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/foundation/ExtendedValue.hpp"

namespace CvUnitSys {

namespace {

double rounded(long double x) {
    return static_cast<double>(x);
}

} // namespace

ConversionFactorImpl::Ptr ScaleConversionFactorRules::multiply(long double d,
                                                               const ConversionFactorImpl& g) {
    const long double x = extendedValue(g);
    if (g.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(rounded(d * x),
                                                              rounded(d * extendedOffset(g)));
    }
    if (g.isReciprocal()) {
        return std::make_unique<DoubleReciprocalConversionFactor>(rounded(x * d));
    }
    return std::make_unique<DoubleConversionFactor>(plainProduct(d, x));
}

double ScaleConversionFactorRules::plainProduct(long double d, long double g) {
    return rounded(d * g);
}

double ScaleConversionFactorRules::plainQuotient(long double d, long double g) {
    return rounded(d / g);
}

ConversionFactorImpl::Ptr ScaleConversionFactorRules::divide(long double d,
                                                             const ConversionFactorImpl& g) {
    const long double x = extendedValue(g);
    if (g.isAffine()) {
        return std::make_unique<DoubleAffineConversionFactor>(rounded(d / x),
                                                              rounded(-extendedOffset(g) / x));
    }
    if (g.isReciprocal()) {
        return std::make_unique<DoubleReciprocalConversionFactor>(rounded(x / d));
    }
    return std::make_unique<DoubleConversionFactor>(plainQuotient(d, x));
}

} // namespace CvUnitSys
