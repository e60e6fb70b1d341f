#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"

namespace CvUnitSys {

// Products and quotients with a plain scale d on the left. Shared by the
// double and the scaled rational factor, which differ only in their exact
// rules for two rationals.
struct ScaleConversionFactorRules {
    static ConversionFactorImpl::Ptr multiply(double d, const ConversionFactorImpl& g);
    static ConversionFactorImpl::Ptr divide(double d, const ConversionFactorImpl& g);
};

} // namespace CvUnitSys
