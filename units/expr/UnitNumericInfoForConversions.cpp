#include "units/expr/UnitNumericInfoForConversions.hpp"

#include "units/host/MatrixArrays.hpp"
#include "units/platform/TextServices.hpp"

#include <sstream>

namespace CvUnitSys {

UnitNumericInfoForConversions::UnitNumericInfoForConversions(const ConversionFactor& factor)
    : factor_(factor) {}

UnitNumericInfoForConversions::UnitNumericInfoForConversions(ConversionFactor&& factor)
    : factor_(std::move(factor)) {}

bool UnitNumericInfoForConversions::isTrivial() const {
    return !factor_.isAffine() && !factor_.isReciprocal() && factor_.toDouble() == 1.0;
}

std::string UnitNumericInfoForConversions::toString() const {
    std::ostringstream out;
    out << "output = (" << getScalingFactor() << (isInverted() ? " / " : "*") << "input) + ("
        << getOffset() << ")";
    return out.str();
}

ustring UnitNumericInfoForConversions::toUString() const {
    return TextServices::fromLatin1(toString());
}

hxArray* UnitNumericInfoForConversions::toHxArray() const {
    auto record = matrix::detail::do_create_struct({1, 1}, {"scaling", "offset", "isInverted"});
    auto scaling =
        matrix::from_hexlan(hxCreateNumericScalar(hxClassID::Double, hxComplexity::Real));
    scaling->setReal(0, getScalingFactor());
    auto offset = matrix::from_hexlan(hxCreateNumericScalar(hxClassID::Double, hxComplexity::Real));
    offset->setReal(0, getOffset());
    auto inverted =
        matrix::from_hexlan(hxCreateNumericScalar(hxClassID::Logical, hxComplexity::Real));
    inverted->setLogical(0, isInverted());
    record->setField(0, "scaling", std::move(scaling));
    record->setField(0, "offset", std::move(offset));
    record->setField(0, "isInverted", std::move(inverted));
    return matrix::to_hexlan(std::move(record));
}

} // namespace CvUnitSys
