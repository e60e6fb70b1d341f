#include "units/foundation/DoubleConversionFactor.hpp"

#include "units/foundation/ScaleConversionFactorRules.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace CvUnitSys {

ConversionFactorImpl::Ptr DoubleConversionFactor::clone() const {
    return std::make_unique<DoubleConversionFactor>(*this);
}

ConversionFactorImpl::Ptr DoubleConversionFactor::operator*(const ConversionFactorImpl& o) const {
    return ScaleConversionFactorRules::multiply(value_, o);
}

ConversionFactorImpl::Ptr DoubleConversionFactor::operator^(const Exponent& e) const {
    return std::make_unique<DoubleConversionFactor>(power(e));
}

DoubleConversionFactor DoubleConversionFactor::power(const Exponent& e) const {
    return DoubleConversionFactor(std::pow(value_, e.getSimplifiedExpo()));
}

ConversionFactorImpl::Ptr DoubleConversionFactor::operator/(const ConversionFactorImpl& o) const {
    return ScaleConversionFactorRules::divide(value_, o);
}

ConversionFactorImpl::Ptr DoubleConversionFactor::operator-() const {
    return std::make_unique<DoubleConversionFactor>(-value_);
}

bool DoubleConversionFactor::operator==(const ConversionFactorImpl& o) const {
    if (o.isAffine() || o.isReciprocal()) {
        return false;
    }
    return value_ == o.toDouble();
}

bool DoubleConversionFactor::operator<(const ConversionFactorImpl& o) const {
    return value_ < o.toDouble();
}

ustring DoubleConversionFactor::toUString() const {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value_);
    return TextServices::fromLatin1(std::string_view(buffer.data(), result.ptr - buffer.data()));
}

} // namespace CvUnitSys
