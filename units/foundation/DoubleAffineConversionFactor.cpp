#include "units/foundation/DoubleAffineConversionFactor.hpp"

namespace CvUnitSys {

ConversionFactorImpl::Ptr DoubleAffineConversionFactor::clone() const {
    return std::make_unique<DoubleAffineConversionFactor>(*this);
}

ConversionFactorImpl::Ptr DoubleAffineConversionFactor::operator-() const {
    return std::make_unique<DoubleAffineConversionFactor>(-scaling_.toDouble(),
                                                          -offset_.toDouble());
}

ustring DoubleAffineConversionFactor::toUString() const {
    return scaling_.toUString() + u"*x+" + offset_.toUString();
}

} // namespace CvUnitSys
