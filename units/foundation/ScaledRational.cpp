#include "units/foundation/ScaledRational.hpp"

#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/ExtendedValue.hpp"
#include "units/foundation/ScaleConversionFactorRules.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace CvUnitSys {

namespace {

constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
// 2^63: doubles below it in magnitude convert to int64 without overflow.
constexpr double kInt64Bound = 9.223372036854775808e18;

// boost's gcd negates its arguments, which -2^63 cannot survive. Halve that
// value away where the fraction allows; a normalised fraction that still needs
// +2^63 cannot be held at all.
ScaledRational::Rational makeRational(std::int64_t n, std::int64_t d) {
    if (d == 0) {
        throw boost::bad_rational();
    }
    while ((n == kLowest || d == kLowest) && n % 2 == 0 && d % 2 == 0) {
        n /= 2;
        d /= 2;
    }
    if (n == kLowest && d > 0) {
        ScaledRational::Rational r(n / 2, d);
        r *= 2;
        return r;
    }
    if (n == kLowest || d == kLowest) {
        throw boost::bad_rational("bad rational: value out of range");
    }
    return {n, d};
}

bool fitsInt32(double x) {
    return x >= std::numeric_limits<std::int32_t>::min() &&
           x <= std::numeric_limits<std::int32_t>::max();
}

constexpr double kMaxMultipliedPower = 8;
constexpr std::int64_t kExactInDouble = std::int64_t{1} << 53;

// a^k when every step stays within the integers a double holds exactly, and a
// is not zero; nothing otherwise.
std::optional<std::int64_t> exactPower(std::int64_t a, int k) {
    if (a == 0 || a > kExactInDouble || a < -kExactInDouble) {
        return std::nullopt;
    }
    std::int64_t p = a;
    for (int i = 1; i < k; ++i) {
        if (__builtin_mul_overflow(p, a, &p) || p > kExactInDouble || p < -kExactInDouble) {
            return std::nullopt;
        }
    }
    return p;
}

template <typename Int> Int readIntegerField(std::u16string_view field) {
    if (field.empty() || field == u"+" || field == u"-") {
        return 0;
    }
    if constexpr (sizeof(Int) == sizeof(std::int64_t)) {
        return TextServices::toInt64(field);
    } else {
        return TextServices::toInt32(field);
    }
}

ConversionFactorImpl::Ptr onHeap(ScaledRational::Scale scale) {
    return std::visit(
        [](auto& kind) -> ConversionFactorImpl::Ptr {
            return std::make_unique<std::decay_t<decltype(kind)>>(std::move(kind));
        },
        scale);
}

ustring integerText(std::int64_t v) {
    return TextServices::fromLatin1(std::to_string(v));
}

} // namespace

ScaledRational::ScaledRational(std::int64_t numerator, std::int64_t denominator, std::int32_t scale)
    : scale_(scale) {
    assign(makeRational(numerator, denominator));
    simplifyFraction();
}

ScaledRational::ScaledRational(const ustring& text) {
    const std::vector<ustring> fields = TextServices::split(text, u',');
    if (fields.size() != 2 && fields.size() != 3) {
        return;
    }
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
    try {
        numerator = readInt64Field(fields[0]);
        denominator = readInt64Field(fields[1]);
    } catch (const NumberConversionError&) {
        return;
    }
    assign(makeRational(numerator, denominator));
    if (fields.size() == 3) {
        scale_ = readInt32Field(fields[2]);
    }
    simplifyFraction();
}

std::int64_t ScaledRational::readInt64Field(std::u16string_view field) {
    return readIntegerField<std::int64_t>(field);
}

std::int32_t ScaledRational::readInt32Field(std::u16string_view field) {
    return readIntegerField<std::int32_t>(field);
}

void ScaledRational::assign(const Rational& value) {
    numerator_ = value.numerator();
    denominator_ = value.denominator();
}

bool ScaledRational::holdsNormalised() const {
    constexpr std::int32_t kFarScale = 1 << 29;
    return scale_ > -kFarScale && scale_ < kFarScale && numerator_ <= kExactInDouble &&
           numerator_ >= -kExactInDouble && denominator_ <= kExactInDouble;
}

// The scale stops at its limits rather than wrap; a factor that far out is
// infinite or zero as a double anyway.
void ScaledRational::simplifyFraction() {
    std::int64_t n = numerator_;
    std::int64_t d = denominator_;
    std::int32_t s = scale_;
    while (n != 0 && n % 10 == 0 && s < std::numeric_limits<std::int32_t>::max()) {
        n /= 10;
        ++s;
    }
    while (d % 10 == 0 && s > std::numeric_limits<std::int32_t>::min()) {
        d /= 10;
        --s;
    }
    if (n != numerator_ || d != denominator_) {
        assign(makeRational(n, d));
        scale_ = s;
    }
}

ConversionFactorImpl::Ptr ScaledRational::clone() const {
    auto copy = std::make_unique<ScaledRational>(*this);
    copy->simplifyFraction();
    return copy;
}

ConversionFactorImpl::Ptr ScaledRational::operator*(const ConversionFactorImpl& o) const {
    const auto* other = dynamic_cast<const ScaledRational*>(&o);
    if (other == nullptr) {
        return ScaleConversionFactorRules::multiply(extendedValue(*this), o);
    }
    return onHeap(product(*other));
}

// Products are formed in double precision, so beyond 2^53 they are rounded
// before they come back as integers; past 2^63 they stay doubles.
ScaledRational::Scale ScaledRational::product(const ScaledRational& o) const {
    // A power of ten times a fraction is that fraction at another scale: most
    // prefixed units have such factors, and no normalising is needed.
    if (isPowerOfTen() && holdsNormalised() && o.holdsNormalised()) {
        return ScaledRational(Normalised{}, o.numerator_, o.denominator_, scale_ + o.scale_);
    }
    if (o.isPowerOfTen() && o.holdsNormalised() && holdsNormalised()) {
        return ScaledRational(Normalised{}, numerator_, denominator_, scale_ + o.scale_);
    }
    const double n = static_cast<double>(getNumerator()) * static_cast<double>(o.getNumerator());
    const double d =
        static_cast<double>(getDenominator()) * static_cast<double>(o.getDenominator());
    const double s = static_cast<double>(scale_) + static_cast<double>(o.scale_);
    if (std::fabs(n) < kInt64Bound && std::fabs(d) < kInt64Bound && fitsInt32(s)) {
        return ScaledRational(static_cast<std::int64_t>(n), static_cast<std::int64_t>(d),
                              static_cast<std::int32_t>(s));
    }
    return DoubleConversionFactor(toDouble() * o.toDouble());
}

ConversionFactorImpl::Ptr ScaledRational::operator^(const Exponent& e) const {
    return onHeap(power(e));
}

ScaledRational::Scale ScaledRational::power(const Exponent& e) const {
    // The inverse, which every unit in a denominator takes: the normalised
    // fraction turned over is normalised.
    if (e.getPosExpo() == 0.0 && e.getNegExpo() == 1.0 && holdsNormalised() &&
        getNumerator() != 0) {
        return numerator_ < 0 ? ScaledRational(Normalised{}, -denominator_, -numerator_, -scale_)
                              : ScaledRational(Normalised{}, denominator_, numerator_, -scale_);
    }
    const double s = e.getSimplifiedExpo();
    // The small whole powers that definitions raise units to, by multiplying:
    // where the result is exact in a double, pow returns that same value.
    if (s != 0 && std::fabs(s) <= kMaxMultipliedPower && !e.isFractional()) {
        const auto k = static_cast<int>(std::fabs(s));
        const auto top = exactPower(s > 0 ? getNumerator() : getDenominator(), k);
        const auto bottom = exactPower(s > 0 ? getDenominator() : getNumerator(), k);
        const double newScale = std::trunc(s * scale_);
        if (top && bottom && fitsInt32(newScale)) {
            const bool negative = *top < 0 || *bottom < 0;
            const std::int64_t magnitude = *top < 0 ? -*top : *top;
            const std::int64_t numerator = negative ? -magnitude : magnitude;
            const std::int64_t denominator = *bottom < 0 ? -*bottom : *bottom;
            const auto scale = static_cast<std::int32_t>(newScale);
            // Powers of a normalised fraction share no factor and gain no
            // factor of ten.
            return holdsNormalised() ? ScaledRational(Normalised{}, numerator, denominator, scale)
                                     : ScaledRational(numerator, denominator, scale);
        }
    }
    const double n = static_cast<double>(getNumerator());
    const double d = static_cast<double>(getDenominator());
    const double newNumerator = s > 0 ? std::pow(n, s) : std::pow(d, -s);
    const double newDenominator = s > 0 ? std::pow(d, s) : std::pow(n, -s);
    const double newScale = std::trunc(s * scale_);
    if (!e.isFractional() && std::fabs(newNumerator) < kInt64Bound &&
        std::fabs(newDenominator) < kInt64Bound && fitsInt32(newScale)) {
        const auto magnitude = static_cast<std::int64_t>(std::fabs(newNumerator));
        const bool negative = newNumerator <= 0 || newDenominator <= 0;
        return ScaledRational(negative ? -magnitude : magnitude,
                              static_cast<std::int64_t>(std::fabs(newDenominator)),
                              static_cast<std::int32_t>(newScale));
    }
    return DoubleConversionFactor(std::pow(toDouble(), s));
}

ConversionFactorImpl::Ptr ScaledRational::operator/(const ConversionFactorImpl& o) const {
    return ScaleConversionFactorRules::divide(extendedValue(*this), o);
}

ConversionFactorImpl::Ptr ScaledRational::operator-() const {
    if (getNumerator() == kLowest) {
        return std::make_unique<DoubleConversionFactor>(-toDouble());
    }
    return std::make_unique<ScaledRational>(-getNumerator(), getDenominator(), scale_);
}

bool ScaledRational::operator==(const ConversionFactorImpl& o) const {
    if (o.isAffine()) {
        return false;
    }
    if (const auto* other = dynamic_cast<const ScaledRational*>(&o)) {
        return numerator_ == other->numerator_ && denominator_ == other->denominator_ &&
               scale_ == other->scale_;
    }
    return toDouble() == o.toDouble();
}

bool ScaledRational::operator<(const ConversionFactorImpl& o) const {
    return toDouble() < o.toDouble();
}

// Rounded once wherever numerator, denominator and power of ten can be
// combined exactly in a double (below 2^53), so that exact definitions such as
// 3048/1 * 1e-4 give the double nearest to their value; otherwise the work is
// done in extended precision before the final rounding.
double ScaledRational::toDouble() const {
    constexpr double exactLimit = 9007199254740992.0; // 2^53
    constexpr std::array<double, 23> powersOfTen{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const auto n = static_cast<double>(getNumerator());
    const auto d = static_cast<double>(getDenominator());
    const bool partsExact = std::fabs(n) <= exactLimit && d <= exactLimit;
    const auto k =
        static_cast<std::size_t>(scale_ < 0 ? -static_cast<std::int64_t>(scale_) : scale_);
    if (partsExact && k < powersOfTen.size()) {
        const double p = powersOfTen[k];
        if (scale_ >= 0 && (d == 1.0 || std::fabs(n) * p <= exactLimit)) {
            return n * p / d;
        }
        if (scale_ < 0 && d * p <= exactLimit) {
            return n / (d * p);
        }
    }
    return static_cast<double>(extendedValue(*this));
}

ustring ScaledRational::toUString() const {
    return integerText(getNumerator()) + u"/" + integerText(getDenominator()) + u"*1e" +
           integerText(scale_);
}

} // namespace CvUnitSys
