#include "units/foundation/ConversionFactorFactory.hpp"

#include "FactorKind.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/TextServices.hpp"

#include <boost/rational.hpp>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using CvUnitSys::ConversionFactor;
using CvUnitSys::ConversionFactorFactory;
using CvUnitSys::ConversionFactorType;
using CvUnitSys::NumberConversionError;
using CvUnitSys::ScaledRational;
using namespace CvUnitSysTest;

namespace {

ConversionFactor create(const ustring& text, int type) {
    return ConversionFactorFactory::createConversionFactor(text, ConversionFactorType(type));
}

struct TextCase {
    int type;
    ustring text;
    std::string kind;
    double value;
    double offset;
    bool affine;
};

TEST(ConversionFactorFactory, CreatesEveryKindFromTextAndFallsBackOnUnreadableNumbers) {
    const TextCase cases[] = {
        {1, u"2.5", "Double", 2.5, 0, false},
        {1, u" 1e3 ", "Double", 1000, 0, false},
        {1, u"abc", "Double", 1, 0, false},
        {1, u"", "Double", 1, 0, false},
        // Words the number reader knows are not decimal notation.
        {1, u"nan", "Double", 1, 0, false},
        {1, u"-inf", "Double", 1, 0, false},
        {1, u"1e999", "Double", 1, 0, false},
        {2, u"1,3", "ScaledRational", 1.0 / 3, 0, false},
        {2, u"x,3", "ScaledRational", 1, 0, false},
        {3, u"254,100,-2", "ScaledRational", 0.0254, 0, false},
        {3, u"+5,-10,", "ScaledRational", -0.5, 0, false},
        {3, u",7,1", "ScaledRational", 0, 0, false},
        {3, u"0,1,38013", "ScaledRational", 0, 0, false},
        {3, u"-,4,2", "ScaledRational", 0, 0, false},
        {3, u"1", "ScaledRational", 1, 0, false},
        {3, u"1,2,3,4", "ScaledRational", 1, 0, false},
        {3, u"9223372036854775808,1,0", "ScaledRational", 1, 0, false},
        {3, u"1 ,2,0", "ScaledRational", 1, 0, false},
        {4, u"5,9,-160,9", "RationalAffine", 5.0 / 9, -160.0 / 9, true},
        {4, u"5,9,x,9", "RationalAffine", 1, 0, false},
        {4, u"1,2,3", "RationalAffine", 1, 0, false},
        {5, u"1.8,32", "DoubleAffine", 1.8, 32, true},
        {5, u"1.8,32,7", "DoubleAffine", 1.8, 32, true},
        {5, u"1.8,x", "DoubleAffine", 1, 0, false},
        {5, u"1.8,nan", "DoubleAffine", 1, 0, false},
        {5, u"1.8", "DoubleAffine", 1, 0, false},
        {6, u"10", "DoubleReciprocal", 10, 0, false},
        {6, u"ten", "DoubleReciprocal", 1, 0, false},
        {6, u"infinity", "DoubleReciprocal", 1, 0, false},
        {0, u"5", "ScaledRational", 1, 0, false},
        {8, u"5", "ScaledRational", 1, 0, false},
        {7, u"1,2|1000*1,3", "Double", 1000.0 / 3, 0, false},
        {7, u"9,1|5*2", "Double", 2, 0, false},
        {7, u"2,1|1,4*4", "Double", 1, 0, false},
        {7, u"5,1|1.8,32*2", "DoubleAffine", 3.6, 32, true},
        {7, u"3,7|1,1,3*3,3|1,1,-3*1,1,2", "ScaledRational", 100, 0, false},
        {7, u"5,6|1.8,32*2", "empty", 0, 0, false},
        // Zero stays zero at a scale past the range of a double.
        {7, u"3,1|0,1,38013*2", "Double", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + CvUnitSys::TextServices::toUtf8(c.text));
        const ConversionFactor f = create(c.text, c.type);
        ASSERT_EQ(kindOf(f), c.kind);
        EXPECT_TRUE(f.isWellDefined());
        if (f.isEmpty()) {
            continue;
        }
        EXPECT_DOUBLE_EQ(f.toDouble(), c.value);
        EXPECT_DOUBLE_EQ(f.getOffset(), c.offset);
        EXPECT_EQ(f.isAffine(), c.affine);
        EXPECT_EQ(f.isReciprocal(), c.kind == "DoubleReciprocal");
    }
}

TEST(ConversionFactorFactory, MalformedTextThatCannotFallBackIsReported) {
    const struct {
        int type;
        ustring text;
    } zeroDenominators[] = {{3, u"1,0,0"},   {2, u"1,0"},     {3, u"5,,2"},
                            {4, u"1,0,1,1"}, {4, u"1,1,1,0"}, {7, u"1,3|2*1,0,0"}};
    for (const auto& c : zeroDenominators) {
        SCOPED_TRACE(CvUnitSys::TextServices::toUtf8(c.text));
        try {
            create(c.text, c.type);
            ADD_FAILURE() << "no error";
        } catch (const boost::bad_rational& e) {
            EXPECT_STREQ(e.what(), "bad rational: zero denominator");
        }
    }
    const struct {
        int type;
        ustring text;
    } unreadable[] = {
        {3, u"1,2,x"},
        {3, u"1,2,99999999999"},
        {7, u"1,2|1000"},
        {7, u"12|1000*1,3"},
        {7, u"+1,2|1000*1,3"},
        {7, u"a,2|1000*1,3"},
        {7, u",2|1*1,3"},
        {7, u"99999,1|1*1"},
        {7, u"1,7|2*5"},
        {7, u"7,1|1,1|2*3*4"},
        {7, u"1,2 |1*1,3"},
        // Parts past the range of a double that meet as inf * 0 or 0 / 0.
        {7, u"3,1|1,1,38013*0"},
        {7, u"3,6|1,1,38013*0"},
        {7, u"6,1|0*0"},
        {7, u"5,3|0,1*1,1,38013"},
    };
    for (const auto& c : unreadable) {
        SCOPED_TRACE(CvUnitSys::TextServices::toUtf8(c.text));
        EXPECT_THROW(create(c.text, c.type), NumberConversionError);
    }
}

TEST(ConversionFactorFactory, DeeplyNestedCompositeTextIsReadWithoutRecursion) {
    ustring text;
    for (int i = 0; i < 20000; ++i) {
        text += u"3,7|1,1,1*";
    }
    text += u"3,3|1,1,0*1,1,-20000";
    const ConversionFactor f = create(text, 7);
    EXPECT_EQ(f.toUString(), u"1/1*1e0");
}

// The exact overloads are used throughout the precision tests; these two
// build the approximate kinds.
TEST(ConversionFactorFactory, DoubleOverloadsBuildApproximateKinds) {
    EXPECT_EQ(kindOf(ConversionFactorFactory::createConversionFactor(2.5)), "Double");
    const ConversionFactor f = ConversionFactorFactory::createConversionFactor(1.8, 32.0);
    EXPECT_EQ(kindOf(f), "DoubleAffine");
    EXPECT_DOUBLE_EQ(f.getOffset(), 32.0);
}

TEST(ConversionFactorFactory, CompositeTextRoundTripsThroughTheFactory) {
    const ustring text = CvUnitSys::getCompositeConversionFactor(
        u"1000", ConversionFactorType::Double, u"1,3", ConversionFactorType::Rational);
    EXPECT_EQ(text, u"1,2|1000*1,3");
    const ustring nested = CvUnitSys::getCompositeConversionFactor(
        u"1,1,3", ConversionFactorType::ScaledRational, text, ConversionFactorType::Composite);
    EXPECT_EQ(nested, u"3,7|1,1,3*1,2|1000*1,3");
    EXPECT_DOUBLE_EQ(create(nested, 7).toDouble(), 1e6 / 3);
}

} // namespace
