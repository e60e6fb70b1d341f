#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

// Products and quotients with a plain scale d on the left. Shared by the
// double and the scaled rational factor, which differ only in their exact
// rules for two rationals. The arithmetic runs in extended precision on the
// operands' exact values and rounds once.
struct ScaleConversionFactorRules {
    static ConversionFactorImpl::Ptr multiply(long double d, const ConversionFactorImpl& g);
    static ConversionFactorImpl::Ptr divide(long double d, const ConversionFactorImpl& g);
    // The value of multiply and divide for a g that is neither affine nor
    // reciprocal, whose result is a plain double factor; g is given by its
    // extended value.
    static double plainProduct(long double d, long double g);
    static double plainQuotient(long double d, long double g);
};

} // namespace CvUnitSys
