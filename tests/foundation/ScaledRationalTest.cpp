#include "units/foundation/ScaledRational.hpp"

#include "FactorKind.hpp"
#include "units/foundation/ConversionFactor.hpp"
#include "units/platform/NumberConversionError.hpp"

#include <boost/rational.hpp>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <variant>

using CvUnitSys::ConversionFactor;
using CvUnitSys::Exponent;
using CvUnitSys::ScaledRational;
using namespace CvUnitSysTest;

namespace {

constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
constexpr std::int32_t kMaxScale = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinScale = std::numeric_limits<std::int32_t>::min();

struct HeldCase {
    std::int64_t n;
    std::int64_t d;
    std::int32_t s;
    ustring held;
};

TEST(ScaledRational, IsHeldNormalisedWithThePowersOfTenInTheScale) {
    const HeldCase cases[] = {
        {1000, 1, 0, u"1/1*1e3"},
        {1, 1000, 0, u"1/1*1e-3"},
        {0, 5, 2, u"0/1*1e2"},
        {20, 3, 0, u"2/3*1e1"},
        {3, 20, 0, u"3/2*1e-1"},
        {-3, 20, 0, u"-3/2*1e-1"},
        {-6, -4, 0, u"3/2*1e0"},
        {6, -4, 0, u"-3/2*1e0"},
        {kLowest, 1, 0, u"-9223372036854775808/1*1e0"},
        {kLowest, 2, 0, u"-4611686018427387904/1*1e0"},
        {kLowest, -2, 0, u"4611686018427387904/1*1e0"},
        {kLowest, 3, 0, u"-9223372036854775808/3*1e0"},
        // The scale stops at its limits instead of wrapping around.
        {10, 1, kMaxScale, u"10/1*1e2147483647"},
        {1, 10, kMinScale, u"1/10*1e-2147483648"},
    };
    for (const auto& c : cases) {
        const ScaledRational q(c.n, c.d, c.s);
        EXPECT_EQ(q.toUString(), c.held) << c.n << "/" << c.d << " e" << c.s;
    }
    EXPECT_DOUBLE_EQ(ScaledRational(20, 3, 0).toDouble(), 20.0 / 3);
    // Zero at a scale past the doubles' range is zero, not 0 * inf.
    for (const std::int32_t scale : {35555, -35555, kMaxScale}) {
        EXPECT_EQ(ScaledRational(0, 1, scale).toDouble(), 0.0) << scale;
    }
}

TEST(ScaledRational, FractionsThatCannotBeHeldAreRejected) {
    // Zero to a negative power divides by zero too.
    const std::function<void()> zeroDenominators[] = {
        [] { ScaledRational(1, 0, 0); }, [] { (void)(ConversionFactor::zero ^ Exponent(-1)); }};
    for (const auto& f : zeroDenominators) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const boost::bad_rational& e) {
            EXPECT_STREQ(e.what(), "bad rational: zero denominator");
        }
    }
    EXPECT_THROW(ScaledRational(1, kLowest, 0), boost::bad_rational);
    EXPECT_THROW(ScaledRational(kLowest, -1, 0), boost::bad_rational);
}

struct ResultCase {
    std::string what;
    ConversionFactor result;
    ustring text;
};

TEST(ScaledRational, ProductsStayExactUntilTheyLeave64Bits) {
    const std::int64_t twoTo40 = std::int64_t{1} << 40;
    const std::int64_t threeTo39 = 4052555153018976267;
    const ResultCase cases[] = {
        {"reciprocal values", rational(2, 3, 1) * rational(3, 2, -1), u"1/1*1e0"},
        {"scales add", rational(7, 1, 3) * rational(3, 1, -5), u"21/1*1e-2"},
        {"2^31 squared", rational(std::int64_t{1} << 31, 1) * rational(std::int64_t{1} << 31, 1),
         u"4611686018427387904/1*1e0"},
        {"numerator past 2^63", rational(twoTo40, 1) * rational(twoTo40, 1),
         u"1.2089258196146292e+24"},
        {"denominator past 2^63", rational(1, threeTo39) * rational(1, 3),
         u"8.225263339969959e-20"},
        {"scale past 32 bits", rational(1, 1, kMaxScale) * rational(1, 1, 1), u"inf"},
        {"quotient of rationals", rational(2, 3, 1) / rational(2, 3, 1), u"1"},
        {"negation", -rational(2, 3, 1), u"-2/3*1e1"},
        {"negation of -2^63", -rational(kLowest, 1), u"9223372036854775808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.toUString(), c.text) << c.what;
    }
    EXPECT_EQ(rational(2, 3, 1) * rational(3, 2, -1), ConversionFactor::unity);
}

TEST(ScaledRational, IntegerPowersStayExactAndInvertForNegativeExponents) {
    const ConversionFactor q = rational(2, 3, 1);
    const ResultCase cases[] = {
        {"^-2", q ^ Exponent(-2), u"9/4*1e-2"},
        {"^2", q ^ Exponent(2), u"4/9*1e2"},
        {"^0", q ^ Exponent(0), u"1/1*1e0"},
        {"(1 up, 1 down)", q ^ Exponent(1, 1), u"1/1*1e0"},
        {"negative base, odd inverse", rational(-2, 3) ^ Exponent(-1), u"-3/2*1e0"},
        {"negative base, cube", rational(-2, 3) ^ Exponent(3), u"-8/27*1e0"},
        {"negative base, even inverse", rational(-2, 3) ^ Exponent(-2), u"9/4*1e0"},
        {"zero squared", ConversionFactor::zero ^ Exponent(2), u"0/1*1e0"},
        {"2^62", rational(2, 1) ^ Exponent(62), u"4611686018427387904/1*1e0"},
        {"past 2^53 as a double gives it", rational(134217729, 1) ^ Exponent(2),
         u"1801439877791744/1*1e1"},
        {"2^63 leaves 64 bits", rational(2, 1) ^ Exponent(63), u"9223372036854775808"},
        {"fractional parts", rational(4, 1) ^ Exponent(2.5, 0.5), u"16"},
        {"scale past 32 bits", rational(1, 1, 1 << 30) ^ Exponent(4), u"inf"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.toUString(), c.text) << c.what;
    }
    const ConversionFactor root = q ^ Exponent(0.5);
    EXPECT_EQ(kindOf(root), "Double");
    EXPECT_DOUBLE_EQ(root.toDouble(), std::sqrt(20.0 / 3));
}

// Products with a power of ten and small powers skip the normalising; they must
// still give the form the normalising constructor gives for the exact value.
TEST(ScaledRational, ShortcutsGiveTheNormalisedForm) {
    const ScaledRational operands[] = {
        {1, 1, 0},
        {1, 1, 7},
        {1, 1, -12},
        {36, 1, 2},
        {-254, 1, -4},
        {3, 7, 1},
        {1, 3, -1},
        {0, 1, 5},
        {1, 10, kMinScale},
        {10, 1, kMaxScale},
        {1, 1, (1 << 29) + 1},
        {(1LL << 53) - 1, 1, 0},
    };
    // a * b when a double holds it exactly, as the products need.
    const auto exact = [](std::optional<std::int64_t> a,
                          std::int64_t b) -> std::optional<std::int64_t> {
        constexpr std::int64_t bound = std::int64_t{1} << 53;
        std::int64_t p = 0;
        if (!a || __builtin_mul_overflow(*a, b, &p) || p > bound || p < -bound) {
            return std::nullopt;
        }
        return p;
    };
    const auto expect = [](const ScaledRational::Scale& got, std::optional<std::int64_t> n,
                           std::optional<std::int64_t> d, std::int64_t s, const std::string& what) {
        if (n && d && s >= kMinScale && s <= kMaxScale) {
            EXPECT_EQ(std::visit([](const auto& kind) { return kind.toUString(); }, got),
                      ScaledRational(*n, *d, static_cast<std::int32_t>(s)).toUString())
                << what;
        }
    };
    const auto describe = [](const ScaledRational& q) {
        return std::to_string(q.getNumerator()) + "/" + std::to_string(q.getDenominator()) + "e" +
               std::to_string(q.getScale());
    };
    for (const ScaledRational& a : operands) {
        for (const ScaledRational& b : operands) {
            expect(a.product(b), exact(a.getNumerator(), b.getNumerator()),
                   exact(a.getDenominator(), b.getDenominator()),
                   std::int64_t{a.getScale()} + b.getScale(), describe(a) + " * " + describe(b));
        }
        for (const int k : {-3, -1, 2, 3}) {
            std::optional<std::int64_t> top = 1;
            std::optional<std::int64_t> bottom = 1;
            for (int i = 0; i < std::abs(k); ++i) {
                top = exact(top, k > 0 ? a.getNumerator() : a.getDenominator());
                bottom = exact(bottom, k > 0 ? a.getDenominator() : a.getNumerator());
            }
            if (a.getNumerator() != 0) {
                expect(a.power(Exponent(k)), top, bottom, std::int64_t{k} * a.getScale(),
                       describe(a) + " ^ " + std::to_string(k));
            }
        }
    }
}

TEST(ScaledRational, IntegerFieldsReadEmptyAsZeroAndRejectTheRest) {
    EXPECT_EQ(ScaledRational::readInt64Field(u""), 0);
    EXPECT_EQ(ScaledRational::readInt64Field(u"+"), 0);
    EXPECT_EQ(ScaledRational::readInt64Field(u"-"), 0);
    EXPECT_EQ(ScaledRational::readInt64Field(u"-9223372036854775808"), kLowest);
    EXPECT_EQ(ScaledRational::readInt32Field(u"+17"), 17);
    for (const ustring bad : {u"9223372036854775808", u"1.5", u" 1", u"+-1", u"0x10", u"--"}) {
        EXPECT_THROW(ScaledRational::readInt64Field(bad), CvUnitSys::NumberConversionError);
    }
    EXPECT_THROW(ScaledRational::readInt32Field(u"2147483648"), CvUnitSys::NumberConversionError);
}

} // namespace
