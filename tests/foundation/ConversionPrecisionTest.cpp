#include "units/foundation/ConversionFactorFactory.hpp"

#include <gtest/gtest.h>

using CvUnitSys::ConversionFactor;
using CvUnitSys::ConversionFactorFactory;

namespace {

ConversionFactor rational(std::int64_t n, std::int64_t d, int s) {
    return ConversionFactorFactory::createConversionFactor(n, d, s);
}

ConversionFactor affine(std::int64_t sn, std::int64_t sd, std::int64_t on, std::int64_t od) {
    return ConversionFactorFactory::createConversionFactor(sn, sd, 0, on, od, 0);
}

// Quotients of exact factors are the doubles nearest to the exact results, also
// where the double arithmetic of the operands' values would cancel or round twice.
TEST(ConversionPrecision, QuotientsOfExactFactorsRoundOnce) {
    const ConversionFactor degC = affine(1, 1, 27315, 100);
    const ConversionFactor degF = affine(5, 9, 45967, 180);
    const ConversionFactor foot = rational(3048, 1, -4);
    const ConversionFactor inch = rational(254, 1, -4);
    const ConversionFactor mile = rational(1609344, 1, -3);
    struct Case {
        ConversionFactor value;
        double scaling;
        double offset;
    };
    const Case cases[] = {
        {degC / degF, 1.8, 32.0},
        {degF / degC, 5.0 / 9.0, -160.0 / 9.0},
        {degC / ConversionFactor::unity, 1.0, 273.15},
        {ConversionFactor::unity / degC, 1.0, -273.15},
        {foot / inch, 12.0, 0.0},
        {inch / foot, 1.0 / 12.0, 0.0},
        {mile / foot, 5280.0, 0.0},
        {foot / mile, 1.0 / 5280.0, 0.0},
        {rational(1, 3, 0) * degC, 1.0 / 3.0, 91.05},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.toDouble(), c.scaling) << c.scaling;
        EXPECT_EQ(c.value.isAffine() ? c.value.getOffset() : 0.0, c.offset) << c.scaling;
    }
}

} // namespace
