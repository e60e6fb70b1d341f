#include "units/foundation/Exponent.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using CvUnitSys::Exponent;

namespace {

struct PartsCase {
    Exponent value;
    double pos;
    double neg;
};

TEST(Exponent, ConstructionAndArithmeticKeepBothParts) {
    Exponent m2up = Exponent(1);
    m2up += Exponent(1);
    m2up += Exponent(-1);
    Exponent cubedInverse = Exponent(-2);
    cubedInverse *= Exponent(3);
    Exponent swapped = Exponent(1);
    swapped *= Exponent(-1);
    Exponent swappedBack = Exponent(0.0, 1.0);
    swappedBack *= Exponent(-1);
    Exponent halved = Exponent(3.0, 1.0);
    halved /= Exponent(2);
    const PartsCase cases[] = {
        {Exponent(-3), 0, 3}, {Exponent(2.5), 2.5, 0}, {Exponent(-0.0), 0, 0}, {m2up, 2, 1},
        {cubedInverse, 0, 6}, {swapped, 0, 1},         {swappedBack, 1, 0},    {halved, 1.5, 0.5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.getPosExpo(), c.pos);
        EXPECT_EQ(c.value.getNegExpo(), c.neg);
    }
    EXPECT_FALSE(std::signbit(Exponent(-0.0).getPosExpo()));
    EXPECT_TRUE(std::isnan(Exponent(std::nan("")).getPosExpo()));
}

TEST(Exponent, EqualityUsesOneEpsilonWithAbsoluteFloor) {
    struct Case {
        Exponent a;
        Exponent b;
        bool equal;
    };
    const Case cases[] = {
        {Exponent(1), Exponent(1 + 1e-17), true},
        {Exponent(1e-17), Exponent(0), true},
        {Exponent(1000), Exponent(1000 + 1e-12), false},
        {Exponent(2.0, 1.0), Exponent(1), false},
        {Exponent(0), Exponent(-0.0), true},
        {Exponent(std::nan("")), Exponent(std::nan("")), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << c.a.getPosExpo() << " vs " << c.b.getPosExpo();
        EXPECT_EQ(c.a != c.b, !c.equal);
    }
    EXPECT_FALSE(Exponent(2.0, 1.0) == 1);
    EXPECT_FALSE(Exponent(1.0, 1.0) == 0);
    EXPECT_TRUE(Exponent(0.0, 2.0) == -2);
    EXPECT_TRUE(Exponent::zero == 0);
    EXPECT_TRUE(Exponent::unity == 1);
}

TEST(Exponent, FractionalLooksAtBothParts) {
    EXPECT_TRUE(Exponent(0.5).isFractional());
    EXPECT_FALSE(Exponent(2).isFractional());
    EXPECT_TRUE(Exponent(2.5, 0.5).isFractional());
    EXPECT_FALSE(Exponent(-7).isFractional());
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(Exponent(inf, 3.0).isFractional());
    EXPECT_TRUE(Exponent(std::nan(""), 0.0).isFractional());
}

TEST(Exponent, TextForms) {
    EXPECT_EQ(Exponent(2).toUString(), u"2:0");
    EXPECT_EQ(Exponent(-0.5).toUString(), u"0:0.5");
    EXPECT_EQ(Exponent(1.0, 1.0).toUString(), u"1:1");
    EXPECT_EQ(Exponent(1.0 / 3).toUString(), u"0.333333:0");
    EXPECT_EQ(Exponent(2).toUStringSimplifiedExpo(), u"2.000000");
    EXPECT_EQ(Exponent(-1).toUStringSimplifiedExpo(), u"-1.000000");
    EXPECT_EQ(Exponent(std::numeric_limits<double>::infinity()).toUStringSimplifiedExpo(), u"Inf");
    EXPECT_EQ(Exponent(-std::numeric_limits<double>::infinity()).toUStringSimplifiedExpo(),
              u"-Inf");
    EXPECT_EQ(Exponent(std::nan("")).toUStringSimplifiedExpo(), u"NaN");
}

TEST(Exponent, DivisionByZeroFollowsIeee) {
    Exponent e(2);
    e /= Exponent(1.0, 1.0);
    EXPECT_TRUE(std::isinf(e.getPosExpo()));
}

} // namespace
