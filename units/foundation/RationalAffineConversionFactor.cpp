#include "units/foundation/RationalAffineConversionFactor.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <limits>
#include <vector>

namespace CvUnitSys {

RationalAffineConversionFactor::RationalAffineConversionFactor(const ScaledRational& scaling,
                                                               const ScaledRational& offset)
    : scaling_(scaling), offset_(offset) {
    scaling_.simplifyFraction();
    offset_.simplifyFraction();
}

RationalAffineConversionFactor::RationalAffineConversionFactor(
    std::int64_t scalingNumerator, std::int64_t scalingDenominator, std::int32_t scalingScale,
    std::int64_t offsetNumerator, std::int64_t offsetDenominator, std::int32_t offsetScale)
    : scaling_(scalingNumerator, scalingDenominator, scalingScale),
      offset_(offsetNumerator, offsetDenominator, offsetScale) {}

RationalAffineConversionFactor::RationalAffineConversionFactor(const ustring& text) {
    const std::vector<ustring> fields = TextServices::split(text, u',');
    if (fields.size() != 4) {
        return;
    }
    std::array<std::int64_t, 4> values{};
    try {
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = ScaledRational::readInt64Field(fields[i]);
        }
    } catch (const NumberConversionError&) {
        return;
    }
    scaling_ = ScaledRational(values[0], values[1], 0);
    offset_ = ScaledRational(values[2], values[3], 0);
}

ConversionFactorImpl::Ptr RationalAffineConversionFactor::clone() const {
    return std::make_unique<RationalAffineConversionFactor>(scaling_, offset_);
}

ConversionFactorImpl::Ptr RationalAffineConversionFactor::operator-() const {
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    if (scaling_.getNumerator() == lowest || offset_.getNumerator() == lowest) {
        return std::make_unique<DoubleAffineConversionFactor>(-scaling_.toDouble(),
                                                              -offset_.toDouble());
    }
    return std::make_unique<RationalAffineConversionFactor>(
        ScaledRational(-scaling_.getNumerator(), scaling_.getDenominator(), scaling_.getScale()),
        ScaledRational(-offset_.getNumerator(), offset_.getDenominator(), offset_.getScale()));
}

ustring RationalAffineConversionFactor::toUString() const {
    // Appended piece by piece: g++ 12 at -O3 warns falsely on `literal + string`.
    ustring text(u"(");
    text.append(scaling_.toUString()).append(u")*x+(").append(offset_.toUString());
    text.push_back(u')');
    return text;
}

} // namespace CvUnitSys
