#include "units/expr/GenConvertedStringFromExpr.hpp"

#include "model/ModelFixtures.hpp"
#include "units/db/UnitDatabase.hpp"

#include <gtest/gtest.h>

using CvUnitSys::ConversionFormatType;
using CvUnitSys::UnitDatabase;
using model_test::makeUnit;
using model_test::UnitSpec;

namespace {

// Fills the built-in database with a few units for the test's lifetime.
class ConvertedStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = UnitDatabase::setBuiltinLoader([](UnitDatabase& db) {
            db.addUnit(*makeUnit({.symbol = u"km",
                                  .name = u"kilometer",
                                  .ascii = u"km",
                                  .display = u"\\mathrm{km}"}));
            db.addUnit(*makeUnit(
                {.symbol = u"h", .name = u"hour", .ascii = u"h", .display = u"\\mathrm{h}"}));
            db.addUnit(*makeUnit({.symbol = u"\u00B5s",
                                  .name = u"microsecond",
                                  .ascii = u"us",
                                  .display = u"\\mu{}s"}));
            // "x" is one unit's symbol and another's name.
            db.addUnit(*makeUnit({.symbol = u"x", .name = u"ex", .ascii = u"x", .display = u"x"}));
            db.addUnit(*makeUnit({.symbol = u"y_1", .name = u"x", .ascii = u"y", .display = u"y"}));
        });
        UnitDatabase::getUnitDatabase()->clearAll();
    }
    void TearDown() override {
        UnitDatabase::setBuiltinLoader(std::move(previous_));
        UnitDatabase::getUnitDatabase()->clearAll();
    }

private:
    UnitDatabase::Loader previous_;
};

struct ConvertCase {
    const char16_t* input;
    const char16_t* display;
    const char16_t* name;
    const char16_t* symbol;
    const char16_t* ascii;
};

TEST_F(ConvertedStringTest, EveryFormOfWellFormedExpressions) {
    const ConvertCase cases[] = {
        {u"km/h^2", u"\\mathrm{km}/\\mathrm{h}^{2}", u"kilometer/hour^2", u"km/h^2", u"km/h^2"},
        {u"km * \u00B5s", u"\\mathrm{km}\\cdot{}\\mu{}s", u"kilometer*microsecond", u"km*\u00B5s",
         u"km*us"},
        {u"1/h", u"1/\\mathrm{h}", u"1/hour", u"1/h", u"1/h"},
        {u"(km/h)^(1/2)", u"(\\mathrm{km}/\\mathrm{h})^{1/2}", u"(kilometer/hour)^1/2",
         u"(km/h)^1/2", u"(km/h)^1/2"},
        {u"h^-1^(0.5)", u"\\mathrm{h}^{-1}^{0.5}", u"hour^-1^0.5", u"h^-1^0.5", u"h^-1^0.5"},
        {u"h^0.333333333", u"\\mathrm{h}^{0.333333}", u"hour^0.333333", u"h^0.333333",
         u"h^0.333333"},
        {u"h^1e300^((2))", u"\\mathrm{h}^{1e+300}^{2}", u"hour^1e+300^2", u"h^1e+300^2",
         u"h^1e+300^2"},
        // Not found, or found twice: written as typed, escaped for display.
        {u"my_unit*m", u"my\\_unit\\cdot{}m", u"my_unit*m", u"my_unit*m", u"my_unit*m"},
        {u"x/y_1", u"x/y", u"x/x", u"x/y_1", u"x/y"},
        {u"", u"", u"", u"", u""},
    };
    for (const ConvertCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "input #" << (&c - cases));
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Display), c.display);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Name), c.name);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Symbol), c.symbol);
        EXPECT_EQ(genConvertedStringFromExpr(c.input, ConversionFormatType::Ascii), c.ascii);
    }
}

TEST_F(ConvertedStringTest, StopsWhereParsingStops) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"km h", u"kilometer"},      {u"km*", u"kilometer"}, {u"km/h*(", u"kilometer/hour"},
        {u"km^", u""},       {u"(km", u""},          {u"*km", u""},
        {u"km@length", u"kilometer"},
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
              ustring(50, u'(') + u"kilometer" + ustring(50, u')'));
    const ustring unpaired = ustring(u"km*") + char16_t(0xD800);
    EXPECT_EQ(genConvertedStringFromExpr(unpaired, ConversionFormatType::Name), u"");
}

TEST_F(ConvertedStringTest, UnknownFormGivesEmptyText) {
    for (int form : {4, 5, -1, 1000}) {
        EXPECT_EQ(genConvertedStringFromExpr(u"km", static_cast<ConversionFormatType>(form)), u"");
    }
}

} // namespace
