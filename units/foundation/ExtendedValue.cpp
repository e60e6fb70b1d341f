#include "units/foundation/ExtendedValue.hpp"

#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/ScaledRational.hpp"

#include <array>
#include <cmath>
#include <cstdlib>

namespace CvUnitSys {

namespace {

// Powers of ten up to 10^27 are exact in long double. A table spares powl,
// which dominated every conversion, and dividing by an exact power rounds once
// where multiplying by an inexact negative power rounds twice. Further out,
// up to the scales of doubles, powl's own values are kept: the same bits,
// worked out once.
long double scaleByPowerOfTen(long double x, std::int32_t scale) {
    // Zero is zero at any scale; past the table 10^scale may overflow, and
    // 0 * inf would make it NaN.
    if (x == 0.0L) {
        return x;
    }
    constexpr std::size_t kExact = 28;
    constexpr std::size_t kKept = 400;
    static const auto powers = [] {
        std::array<long double, kExact> table{};
        long double p = 1.0L;
        for (long double& entry : table) {
            entry = p;
            p *= 10.0L;
        }
        return table;
    }();
    static const auto inexact = [] {
        std::array<std::array<long double, kKept - kExact>, 2> table{};
        for (std::size_t k = kExact; k < kKept; ++k) {
            table[0][k - kExact] = std::pow(10.0L, static_cast<long double>(k));
            table[1][k - kExact] = std::pow(10.0L, -static_cast<long double>(k));
        }
        return table;
    }();
    const auto k = static_cast<std::size_t>(std::abs(static_cast<std::int64_t>(scale)));
    if (k < kExact) {
        return scale >= 0 ? x * powers[k] : x / powers[k];
    }
    if (k < kKept) {
        return x * inexact[scale >= 0 ? 0 : 1][k - kExact];
    }
    return x * std::pow(10.0L, static_cast<long double>(scale));
}

} // namespace

long double extendedValue(const ScaledRational& q) {
    return scaleByPowerOfTen(static_cast<long double>(q.getNumerator()) /
                                 static_cast<long double>(q.getDenominator()),
                             q.getScale());
}

long double extendedValue(const ConversionFactorImpl& f) {
    if (const auto* q = dynamic_cast<const ScaledRational*>(&f)) {
        return extendedValue(*q);
    }
    if (const auto* affine = dynamic_cast<const AffineConversionFactorImpl*>(&f)) {
        return extendedValue(affine->getScalingFactor());
    }
    return f.toDouble();
}

long double extendedOffset(const ConversionFactorImpl& f) {
    if (const auto* affine = dynamic_cast<const AffineConversionFactorImpl*>(&f)) {
        return extendedValue(affine->getOffsetFactor());
    }
    return 0.0L;
}

} // namespace CvUnitSys
