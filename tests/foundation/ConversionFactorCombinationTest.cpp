#include "FactorKind.hpp"
#include "units/foundation/ConversionFactor.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

using CvUnitSys::ConversionFactor;
using CvUnitSys::Exponent;
using namespace CvUnitSysTest;

namespace {

struct ResultCase {
    std::string what;
    ConversionFactor result;
    std::string kind;
    double value;
    double offset;
};

void expectResults(const std::vector<ResultCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(kindOf(c.result), c.kind);
        if (c.kind == "empty") {
            continue;
        }
        EXPECT_DOUBLE_EQ(c.result.toDouble(), c.value);
        EXPECT_DOUBLE_EQ(c.result.getOffset(), c.offset);
    }
}

TEST(ConversionFactorCombination, ProductsAndQuotientsYieldTheKindOfTheComposedMap) {
    const ConversionFactor d2 = dbl(2);
    const ConversionFactor q = rational(1, 4);
    const ConversionFactor r10 = recip(10);
    const ConversionFactor a = affine(2, 10);
    const ConversionFactor qa = rationalAffine(1, 2, 3, 1);
    expectResults({
        {"d*affine", d2 * a, "DoubleAffine", 4, 20},
        {"d*recip", d2 * r10, "DoubleReciprocal", 20, 0},
        {"d*d", d2 * dbl(3), "Double", 6, 0},
        {"d*rational", d2 * q, "Double", 0.5, 0},
        {"d*zero-offset affine", dbl(3) * affine(2, 0), "Double", 6, 0},
        {"d/affine", d2 / a, "DoubleAffine", 1, -5},
        {"d/recip", d2 / r10, "DoubleReciprocal", 5, 0},
        {"d/d", d2 / dbl(4), "Double", 0.5, 0},
        {"q*affine", q * a, "DoubleAffine", 0.5, 2.5},
        {"q*recip", q * r10, "DoubleReciprocal", 2.5, 0},
        {"q*q", q * rational(2, 1), "ScaledRational", 0.5, 0},
        {"q*d", q * d2, "Double", 0.5, 0},
        {"q/q", q / q, "Double", 1, 0},
        {"q/affine", q / a, "DoubleAffine", 0.125, -5},
        {"q/recip", q / r10, "DoubleReciprocal", 40, 0},
        {"recip*affine", r10 * a, "empty", 0, 0},
        {"recip/affine", r10 / qa, "empty", 0, 0},
        {"recip*recip", r10 * recip(2), "Double", 5, 0},
        {"recip/recip", r10 / recip(2), "Double", 0.2, 0},
        {"recip*d", r10 * d2, "DoubleReciprocal", 5, 0},
        {"recip/d", r10 / d2, "DoubleReciprocal", 5, 0},
        {"recip*q", r10 * q, "DoubleReciprocal", 40, 0},
        {"affine*affine", a * affine(3, 1), "DoubleAffine", 6, 12},
        {"affine*recip", a * r10, "empty", 0, 0},
        {"affine/recip", qa / r10, "empty", 0, 0},
        {"affine*d", a * dbl(3), "DoubleAffine", 6, 10},
        {"affine/affine", a / affine(2, 4), "DoubleAffine", 1, 3},
        {"affine/d", a / dbl(4), "DoubleAffine", 0.5, 2.5},
        {"rational affine*d", qa * dbl(4), "DoubleAffine", 2, 3},
        {"rational affine/affine", qa / a, "DoubleAffine", 0.25, -3.5},
        {"zero-offset affine*recip", affine(2, 0) * r10, "DoubleReciprocal", 20, 0},
        {"zero-offset rational affine*q", rationalAffine(1, 4, 0, 1) * rational(2, 1),
         "ScaledRational", 0.5, 0},
    });
}

TEST(ConversionFactorCombination, PowersAndNegation) {
    const ConversionFactor a = affine(2, 10);
    const ConversionFactor qa = rationalAffine(1, 2, 3, 1);
    expectResults({
        {"d^3", dbl(2) ^ Exponent(3), "Double", 8, 0},
        {"d^-0.5", dbl(4) ^ Exponent(-0.5), "Double", 0.5, 0},
        {"recip^2", recip(4) ^ Exponent(2), "DoubleReciprocal", 16, 0},
        {"affine^1", a ^ Exponent(1), "DoubleAffine", 2, 10},
        {"rational affine^1", qa ^ Exponent(1), "RationalAffine", 0.5, 3},
        {"affine^2", a ^ Exponent(2), "empty", 0, 0},
        {"affine^(2 up, 1 down)", a ^ Exponent(2, 1), "empty", 0, 0},
        {"rational affine^-1", qa ^ Exponent(-1), "empty", 0, 0},
        {"zero-offset affine^2", affine(2, 0) ^ Exponent(2), "Double", 4, 0},
        {"-d", -dbl(2), "Double", -2, 0},
        {"-recip", -recip(4), "DoubleReciprocal", -4, 0},
        {"-affine", -a, "DoubleAffine", -2, -10},
        {"-rational affine", -qa, "RationalAffine", -0.5, -3},
        {"-rational", -rational(2, 3, 1), "ScaledRational", -20.0 / 3, 0},
    });
}

struct CompareCase {
    std::string what;
    ConversionFactor left;
    ConversionFactor right;
    bool expected;
};

TEST(ConversionFactorCombination, EqualityIsExactAndFollowsTheLeftKind) {
    const CompareCase cases[] = {
        {"same doubles", dbl(2), dbl(2), true},
        {"0.1+0.2 is not 0.3", dbl(0.1 + 0.2), dbl(0.3), false},
        {"double and zero-offset affine", dbl(2), affine(2, 0), true},
        {"double and affine", dbl(2), affine(2, 1), false},
        {"double and reciprocal", dbl(2), recip(2), false},
        {"double and rational", dbl(0.25), rational(1, 4), true},
        {"rational and double", rational(1, 4), dbl(0.25), true},
        {"rational and reciprocal", rational(1, 4), recip(0.25), true},
        {"rational and affine", rational(1, 2), rationalAffine(1, 2, 3, 1), false},
        {"rationals simplified alike", rational(2, 3, 1), rational(20, 3, 0), true},
        {"rationals of different scale", rational(2, 3, 1), rational(2, 3, 0), false},
        {"reciprocal and double", recip(2), dbl(2), true},
        {"reciprocal and affine", recip(2), affine(2, 10), true},
        {"same affines", affine(2, 10), affine(2, 10), true},
        {"affines of different offset", affine(2, 10), affine(2, 11), false},
        {"affine and its scaling", affine(2, 10), dbl(2), false},
        {"zero-offset affine and double", affine(2, 0), dbl(2), true},
        {"zero-offset affine and reciprocal", affine(2, 0), recip(2), false},
        {"rational affine and double affine", rationalAffine(1, 2, 3, 1), affine(0.5, 3), true},
        {"double affine and rational affine", affine(0.5, 3), rationalAffine(1, 2, 3, 1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.left == c.right, c.expected);
        EXPECT_EQ(c.left != c.right, !c.expected);
    }
}

TEST(ConversionFactorCombination, OrderingComparesValuesThenOffsets) {
    const CompareCase cases[] = {
        {"doubles", dbl(2), dbl(3), true},
        {"double and reciprocal", dbl(2), recip(3), true},
        {"double and affine", dbl(2), affine(3, -100), true},
        {"rational and double", rational(1, 4), dbl(0.5), true},
        {"reciprocal and double", recip(2), dbl(1), false},
        {"affine over its scaling", affine(2, 10), dbl(2), false},
        {"negative offset under its scaling", affine(2, -1), dbl(2), true},
        {"affine and larger scale", affine(2, 10), dbl(3), true},
        {"equal scalings, smaller offset", affine(2, 10), affine(2, 11), true},
        {"larger scaling wins over offset", affine(2, 10), affine(1, 100), false},
        {"rational affines", rationalAffine(1, 2, 3, 1), rationalAffine(1, 2, 7, 2), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.left < c.right, c.expected);
    }
}

} // namespace
