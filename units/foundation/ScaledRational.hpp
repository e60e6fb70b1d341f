#pragma once

#include "units/foundation/ConversionFactorImpl.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/UString.hpp"

#include <boost/rational.hpp>
#include <cstdint>
#include <string_view>
#include <variant>

namespace CvUnitSys {

// y = (numerator / denominator) * 10^scale * x, kept exact so that products of
// many unit factors do not drift. The fraction is always normalised and holds
// no factor 10 (zero excepted); the power of ten lives in the scale instead.
// Results that would not fit in 64 bits fall back to a DoubleConversionFactor.
class ScaledRational final : public ConversionFactorImpl {
public:
    using Rational = boost::rational<std::int64_t>;
    // A product or power: exact when it fits, else a plain double.
    using Scale = std::variant<ScaledRational, DoubleConversionFactor>;

    // Throws boost::bad_rational for a zero denominator, or for a fraction
    // whose normalised form would need +2^63.
    ScaledRational(std::int64_t numerator, std::int64_t denominator, std::int32_t scale);
    // "numerator,denominator[,scale]". Unreadable numerator or denominator
    // give 1/1 * 10^0; an unreadable scale throws NumberConversionError.
    explicit ScaledRational(const ustring& text);

    Ptr clone() const override;
    Ptr operator*(const ConversionFactorImpl& o) const override;
    Ptr operator^(const Exponent& e) const override;
    Ptr operator/(const ConversionFactorImpl& o) const override;
    Ptr operator-() const override;
    bool operator==(const ConversionFactorImpl& o) const override;
    bool operator<(const ConversionFactorImpl& o) const override;
    double toDouble() const override;

    void simplifyFraction();

    // What operator* and operator^ give for another scaled rational and for an
    // exponent, without allocating.
    Scale product(const ScaledRational& o) const;
    Scale power(const Exponent& e) const;

    std::int64_t getNumerator() const { return numerator_; }
    std::int64_t getDenominator() const { return denominator_; }
    std::int32_t getScale() const { return scale_; }

    // "numerator/denominator*1escale", e.g. "-3/2*1e-1".
    ustring toUString() const;

    // Integer fields of factor texts: optional sign and digits; an empty
    // field or a lone sign reads as 0. Throws NumberConversionError.
    static std::int64_t readInt64Field(std::u16string_view field);
    static std::int32_t readInt32Field(std::u16string_view field);

private:
    // A fraction known to be normalised: no divisor to find, no factor of
    // ten to move into the scale.
    struct Normalised {};
    ScaledRational(Normalised, std::int64_t numerator, std::int64_t denominator, std::int32_t scale)
        : numerator_(numerator), denominator_(denominator), scale_(scale) {}
    void assign(const Rational& value);
    bool isPowerOfTen() const { return numerator_ == 1 && denominator_ == 1; }
    // Whether the fraction's normalising stopped at nothing (the scale is far
    // from its limits) and its parts are exact in a double, as products need.
    bool holdsNormalised() const;

    std::int64_t numerator_ = 1;
    std::int64_t denominator_ = 1;
    std::int32_t scale_ = 0;
};

} // namespace CvUnitSys
