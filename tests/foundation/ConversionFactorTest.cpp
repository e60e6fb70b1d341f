#include "units/foundation/ConversionFactor.hpp"

#include "FactorKind.hpp"

#include <cstdint>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <utility>

using CvUnitSys::ConversionFactor;
using CvUnitSys::Exponent;
using CvUnitSys::ustring;
using namespace CvUnitSysTest;

namespace {

TEST(ConversionFactor, ConstantsAndDefaultAreExactRationals) {
    EXPECT_EQ(ConversionFactor().toUString(), u"1/1*1e0");
    EXPECT_EQ(ConversionFactor::unity.toUString(), u"1/1*1e0");
    EXPECT_EQ(ConversionFactor::zero.toUString(), u"0/1*1e0");
    EXPECT_TRUE(ConversionFactor().isWellDefined());
    // Equal across kinds is not identical: the kind decides later arithmetic.
    EXPECT_TRUE(rational(1, 1, 0).isIdentical(ConversionFactor::unity));
    EXPECT_FALSE(dbl(1).isIdentical(ConversionFactor::unity));
    EXPECT_FALSE(ConversionFactor(ConversionFactor::unity.getFactor(), false)
                     .isIdentical(ConversionFactor::unity));
}

TEST(ConversionFactor, CopiesOwnTheirFactorAndMovesLeaveTheSourceEmpty) {
    ConversionFactor a = dbl(2);
    ConversionFactor b = a;
    a = recip(3);
    EXPECT_EQ(kindOf(b), "Double");
    EXPECT_EQ(b.toDouble(), 2);
    b = b;
    EXPECT_EQ(b.toDouble(), 2);
    a *= dbl(3);
    EXPECT_EQ(a.toUString(), u"1/x");

    const ConversionFactor empty = affine(1.8, 32) * recip(2);
    const ConversionFactor emptyCopy = empty;
    ConversionFactor assigned = dbl(1);
    assigned = empty;
    EXPECT_TRUE(emptyCopy.isEmpty());
    EXPECT_TRUE(assigned.isEmpty());

    // Heap-held and in-place kinds alike; a moved-from factor must not read as
    // a factor (its query would dereference nothing).
    for (ConversionFactor source : {recip(2), affine(1.8, 32), rational(1, 3, 0), dbl(2)}) {
        const ustring text = source.toUString();
        const std::string kind = kindOf(source);
        ConversionFactor constructed(std::move(source));
        EXPECT_TRUE(source.isEmpty()) << kind;
        ConversionFactor assignedByMove = dbl(5);
        assignedByMove = std::move(constructed);
        EXPECT_TRUE(constructed.isEmpty()) << kind;
        EXPECT_TRUE(assignedByMove.toUString() == text) << kind;
    }
}

TEST(ConversionFactor, EmptyFactorsPropagateAndRefuseQueries) {
    const ConversionFactor empty = recip(2) / affine(1.8, 32);
    ASSERT_TRUE(empty.isEmpty());
    EXPECT_TRUE((empty * dbl(2)).isEmpty());
    EXPECT_TRUE((dbl(2) / empty).isEmpty());
    EXPECT_TRUE((empty ^ Exponent(2)).isEmpty());
    EXPECT_TRUE((-empty).isEmpty());
    EXPECT_EQ(empty, affine(2, 1) ^ Exponent(3));
    EXPECT_NE(empty, dbl(1));
    EXPECT_EQ(empty.toUString(), u"empty");
    EXPECT_THROW((void)empty.toDouble(), std::logic_error);
    EXPECT_THROW((void)empty.isAffine(), std::logic_error);
    EXPECT_THROW((void)(empty < dbl(1)), std::logic_error);
}

TEST(ConversionFactor, WellDefinedFlagFollowsBothOperands) {
    const ConversionFactor approximate(std::make_unique<CvUnitSys::DoubleConversionFactor>(2.0),
                                       false);
    EXPECT_FALSE((approximate * dbl(3)).isWellDefined());
    EXPECT_FALSE((dbl(3) / approximate).isWellDefined());
    EXPECT_FALSE((approximate ^ Exponent(2)).isWellDefined());
    EXPECT_FALSE((approximate ^ Exponent(1)).isWellDefined());
    EXPECT_FALSE((-approximate).isWellDefined());
    EXPECT_FALSE((affine(2, 1) * approximate).isWellDefined());
    EXPECT_TRUE((dbl(2) * dbl(3)).isWellDefined());
    EXPECT_EQ(approximate, dbl(2));

    ConversionFactor f(CvUnitSys::DoubleConversionFactor(4.0));
    EXPECT_TRUE(f.isWellDefined());
    f.setWellDefined(false);
    EXPECT_FALSE(ConversionFactor(f).isWellDefined());
}

TEST(ConversionFactor, PowerOneIsACloneForEveryKind) {
    const ConversionFactor factors[] = {dbl(2), rational(2, 3, 1), recip(4), affine(1.8, 32),
                                        rationalAffine(5, 9, -160, 9)};
    for (const auto& f : factors) {
        const ConversionFactor p = f ^ Exponent(1);
        EXPECT_EQ(kindOf(p), kindOf(f));
        EXPECT_EQ(p.toUString(), f.toUString());
        EXPECT_NE(&p.getFactor(), &f.getFactor());
    }
}

// Plain and exact scales combine in place; the result must be what the kinds'
// own operations give, including where an exact product or power overflows.
TEST(ConversionFactor, ScalesCombinedInPlaceMatchTheirKindsRules) {
    const ConversionFactor factors[] = {dbl(0.3),
                                        dbl(-2.5e300),
                                        rational(3048, 1, -4),
                                        rational(-7, 3, 2),
                                        rational(INT64_C(4611686018427387903), 3, 2000000000),
                                        recip(4),
                                        affine(1.8, 32),
                                        rationalAffine(5, 9, -160, 9)};
    const auto same = [](const ConversionFactor& held, const ConversionFactor& viaKind) {
        EXPECT_EQ(kindOf(held), kindOf(viaKind));
        EXPECT_EQ(held.toUString(), viaKind.toUString());
    };
    for (const auto& a : factors) {
        for (const auto& b : factors) {
            same(a * b, ConversionFactor(a.getFactor() * b.getFactor()));
            same(a / b, ConversionFactor(a.getFactor() / b.getFactor()));
        }
        for (const Exponent& e :
             {Exponent(2), Exponent(-3), Exponent(0.5), Exponent(40), Exponent(2, 1)}) {
            same(a ^ e, ConversionFactor(a.getFactor() ^ e));
        }
    }
}

TEST(ConversionFactor, EveryKindHasAReadableText) {
    const struct {
        ConversionFactor f;
        ustring text;
    } cases[] = {
        {dbl(0.1), u"0.1"},
        {dbl(1e20), u"1e+20"},
        {rational(-3, 20), u"-3/2*1e-1"},
        {recip(10), u"10/x"},
        {affine(1.8, 32), u"1.8*x+32"},
        {rationalAffine(5, 9, -160, 9), u"(5/9*1e0)*x+(-16/9*1e1)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.f.toUString(), c.text);
    }
}

} // namespace
