#include "units/expr/GenConvertedStringFromExpr.hpp"

#include "model/ModelFixtures.hpp"
#include "units/db/UnitDatabase.hpp"

#include <gtest/gtest.h>

using CvUnitSys::ConversionFormatType;
using CvUnitSys::UnitDatabase;
using model_test::makeUnit;

namespace {

// The built-in database, with two extra units that share the text "xq": one
// as its symbol, the other as its name.
class ConvertedStringTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        UnitDatabase* db = UnitDatabase::getUnitDatabase();
        bySymbol = &db->addUnit(*makeUnit({.symbol = u"xq", .name = u"xq_one", .ascii = u"xq"}));
        byName = &db->addUnit(
            *makeUnit({.symbol = u"xq_2", .name = u"xq", .ascii = u"xq2", .display = u"xq_{2}"}));
    }
    static void TearDownTestSuite() {
        UnitDatabase* db = UnitDatabase::getUnitDatabase();
        db->removeUnit(*bySymbol);
        db->removeUnit(*byName);
    }

    static const CvUnitSys::UnitBase* bySymbol;
    static const CvUnitSys::UnitBase* byName;
};

const CvUnitSys::UnitBase* ConvertedStringTest::bySymbol = nullptr;
const CvUnitSys::UnitBase* ConvertedStringTest::byName = nullptr;

struct ConvertCase {
    const char16_t* input;
    const char16_t* display;
    const char16_t* name;
    const char16_t* symbol;
    const char16_t* ascii;
};

TEST_F(ConvertedStringTest, EveryFormOfWellFormedExpressions) {
    const ConvertCase cases[] = {
        {u"km/h^2", u"km/h^{2}", u"kilometre/hour^2", u"km/h^2", u"km/h^2"},
        {u"km * \u00B5s", u"km\\cdot{}\u00B5s", u"kilometre*microsecond", u"km*\u00B5s", u"km*us"},
        {u"1/h", u"1/h", u"1/hour", u"1/h", u"1/h"},
        {u"(km/h)^(1/2)", u"(km/h)^{1/2}", u"(kilometre/hour)^1/2", u"(km/h)^1/2", u"(km/h)^1/2"},
        {u"h^-1^(0.5)", u"h^{-1}^{0.5}", u"hour^-1^0.5", u"h^-1^0.5", u"h^-1^0.5"},
        {u"h^0.333333333", u"h^{0.333333}", u"hour^0.333333", u"h^0.333333", u"h^0.333333"},
        {u"h^-0*s^-7", u"h^{-0}\\cdot{}s^{-7}", u"hour^-0*second^-7", u"h^-0*s^-7", u"h^-0*s^-7"},
        {u"h^999999/s^1000000", u"h^{999999}/s^{1e+06}", u"hour^999999/second^1e+06",
         u"h^999999/s^1e+06", u"h^999999/s^1e+06"},
        {u"h^1e300^((2))", u"h^{1e+300}^{2}", u"hour^1e+300^2", u"h^1e+300^2", u"h^1e+300^2"},
        // Not found, or found twice: written as typed, escaped for display.
        {u"my_unit*m", u"my\\_unit\\cdot{}m", u"my_unit*metre", u"my_unit*m", u"my_unit*m"},
        {u"xq/xq_2", u"xq/xq_{2}", u"xq/xq", u"xq/xq_2", u"xq/xq2"},
        {u"", u"", u"", u"", u""},
    };
    for (const ConvertCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "input #" << (&c - cases));
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Display), c.display);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Name), c.name);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Symbol), c.symbol);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Ascii), c.ascii);
        EXPECT_EQ(CvUnitSys::genConvertedStringsFromExpr(c.input),
                  (std::array<ustring, 4>{c.display, c.name, c.symbol, c.ascii}));
    }
}

TEST_F(ConvertedStringTest, StopsWhereParsingStops) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"km h", u"kilometre"},
        {u"km*", u"kilometre"},
        {u"km/h*(", u"kilometre/hour"},
        {u"km^", u""},
        {u"(km", u""},
        {u"*km", u""},
        {u"km@length", u"kilometre"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(genConvertedStringFromExpr(input, ConversionFormatType::Name), expected)
            << "input: " << testing::PrintToString(std::u16string(input));
    }
}

TEST_F(ConvertedStringTest, HostileInputGivesTextNotFailure) {
    const ustring deep = ustring(100000, u'(') + u"km" + ustring(100000, u')');
    EXPECT_EQ(genConvertedStringFromExpr(deep, ConversionFormatType::Name), u"");
    const ustring nested = ustring(50, u'(') + u"km" + ustring(50, u')');
    EXPECT_EQ(genConvertedStringFromExpr(nested, ConversionFormatType::Name),
              ustring(50, u'(') + u"kilometre" + ustring(50, u')'));
    const ustring unpaired = ustring(u"km*") + char16_t(0xD800);
    EXPECT_EQ(genConvertedStringFromExpr(unpaired, ConversionFormatType::Name), u"");
}

TEST_F(ConvertedStringTest, UnknownFormGivesEmptyText) {
    for (int form : {4, 5, -1, 1000}) {
        EXPECT_EQ(genConvertedStringFromExpr(u"km", static_cast<ConversionFormatType>(form)), u"");
    }
}

} // namespace
