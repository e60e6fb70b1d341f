#include "NumberText.hpp"

#include "units/foundation/AffineConversionFactorImpl.hpp"
#include "units/foundation/ScaledRational.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <utility>

namespace cvunits {

namespace {

// n/d * 10^scale in lowest terms, or nothing when it leaves 64 bits.
std::optional<std::pair<std::int64_t, std::int64_t>> reduced(std::int64_t n, std::int64_t d,
                                                             std::int32_t scale) {
    if (n == 0) {
        return std::pair<std::int64_t, std::int64_t>{0, 1};
    }
    std::int64_t num = n;
    std::int64_t den = d;
    // Each step multiplies by 10 and cancels at once, so the loop ends as soon
    // as a value would overflow: at most a few dozen steps.
    for (std::int32_t i = 0; i < std::abs(scale); ++i) {
        std::int64_t& grown = scale > 0 ? num : den;
        if (__builtin_mul_overflow(grown, std::int64_t{10}, &grown)) {
            return std::nullopt;
        }
        const std::int64_t g = std::gcd(num, den);
        num /= g;
        den /= g;
    }
    const std::int64_t g = std::gcd(num, den);
    return std::pair{num / g, den / g};
}

std::string fractionText(std::int64_t numerator, std::int64_t denominator) {
    std::string text = std::to_string(numerator);
    if (denominator != 1) {
        text += "/" + std::to_string(denominator);
    }
    return text;
}

// A factor stored as a double is usually a decimal constant (0.3048) or a
// ratio of small integers (1000/3600) rounded once. Recovers that value when it
// reads back as the very same double; nothing otherwise.
std::optional<std::pair<std::int64_t, std::int64_t>> rationalOf(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::scientific);
    const std::string text(buffer.data(), written.ptr);
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, e);
    std::erase(digits, '.');
    const bool negative = digits.starts_with('-');
    if (negative) {
        digits.erase(0, 1);
    }
    const int exponent = std::stoi(text.substr(e + 1)) - static_cast<int>(digits.size()) + 1;
    if (digits.size() <= 15 && exponent > -19 && exponent < 19) {
        const auto decimal = reduced((negative ? -1 : 1) * std::stoll(digits), 1,
                                     static_cast<std::int32_t>(exponent));
        if (decimal) {
            return decimal;
        }
    }
    // Continued fraction convergents with a denominator of at most a million.
    double rest = std::abs(value);
    std::int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    for (int i = 0; i < 40 && rest < 1e15; ++i) {
        const auto a = static_cast<std::int64_t>(std::floor(rest));
        const std::int64_t p = a * p1 + p0;
        const std::int64_t q = a * q1 + q0;
        if (q > 1000000) {
            break;
        }
        if (static_cast<double>(p) / static_cast<double>(q) == std::abs(value)) {
            return std::pair{negative ? -p : p, q};
        }
        p0 = std::exchange(p1, p);
        q0 = std::exchange(q1, q);
        const double fraction = rest - static_cast<double>(a);
        if (fraction == 0.0) {
            break;
        }
        rest = 1.0 / fraction;
    }
    return std::nullopt;
}

std::optional<std::string> exactText(const CvUnitSys::ConversionFactorImpl& factor) {
    std::optional<std::pair<std::int64_t, std::int64_t>> value;
    if (const auto* rational = dynamic_cast<const CvUnitSys::ScaledRational*>(&factor)) {
        value = reduced(rational->getNumerator(), rational->getDenominator(), rational->getScale());
    } else {
        value = rationalOf(factor.toDouble());
    }
    if (!value) {
        return std::nullopt;
    }
    return fractionText(value->first, value->second);
}

} // namespace

std::string shortestText(double value) {
    std::array<char, 64> buffer{};
    // Plain digits for the magnitudes people read as such, exponents beyond.
    const double magnitude = std::abs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e16);
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    return std::string(buffer.data(), result.ptr);
}

std::string fullPrecisionText(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 17);
    return std::string(buffer.data(), result.ptr);
}

std::optional<double> parseNumber(const std::string& text) {
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> exactFactorText(const CvUnitSys::ConversionFactor& factor) {
    if (factor.isEmpty() || factor.isReciprocal()) {
        return std::nullopt;
    }
    const CvUnitSys::ConversionFactorImpl& impl = factor.getFactor();
    const auto* affine = dynamic_cast<const CvUnitSys::AffineConversionFactorImpl*>(&impl);
    if (affine == nullptr) {
        return exactText(impl);
    }
    const auto scaling = exactText(affine->getScalingFactor());
    const auto offset = exactText(affine->getOffsetFactor());
    if (!scaling || !offset) {
        return std::nullopt;
    }
    if (*offset == "0") {
        return scaling;
    }
    const bool negative = offset->starts_with('-');
    return (*scaling == "1" ? "" : *scaling + "*") + "x " + (negative ? "- " : "+ ") +
           offset->substr(negative ? 1 : 0);
}

} // namespace cvunits
