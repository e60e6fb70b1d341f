#include "units/foundation/ScaledRational.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

using CvUnitSys::ScaledRational;

namespace {

// strtod rounds decimal text correctly, so it is the reference for n * 10^s.
double decimal(std::int64_t n, int s) {
    const std::string text = std::to_string(n) + "e" + std::to_string(s);
    return std::strtod(text.c_str(), nullptr);
}

TEST(ScaledRationalRounding, ExactDefinitionsGiveTheNearestDouble) {
    const struct {
        std::int64_t n;
        std::int64_t d;
        int s;
        double expected;
    } cases[] = {
        {3048, 1, -4, 0.3048},
        {45359237, 1, -8, 0.45359237},
        {254, 1, -4, 0.0254},
        {4184, 1, -3, 4.184},
        {1602176634, 1, -28, 1.602176634e-19},
        {149597870700, 1, 0, 149597870700.0},
        {1, 3, 0, 1.0 / 3.0},
        {1200, 3937, 0, 1200.0 / 3937.0},
        {5, 9, 0, 5.0 / 9.0},
        {231, 1, 0, 231.0},
        {6894757, 1, -3, 6894.757},
        {101325, 1, 0, 101325.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaledRational(c.n, c.d, c.s).toDouble(), c.expected)
            << c.n << "/" << c.d << "e" << c.s;
    }
}

TEST(ScaledRationalRounding, DecimalValuesMatchCorrectRounding) {
    std::mt19937_64 rng(20261206);
    std::uniform_int_distribution<std::int64_t> digits(1, 9'999'999'999'999LL);
    std::uniform_int_distribution<int> scales(-22, 22);
    int mismatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::int64_t n = digits(rng);
        const int s = scales(rng);
        if (ScaledRational(n, 1, s).toDouble() != decimal(n, s)) {
            ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
