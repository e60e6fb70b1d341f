#include "units/frontdoor/NumberText.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace cv_units {

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

} // namespace cv_units
