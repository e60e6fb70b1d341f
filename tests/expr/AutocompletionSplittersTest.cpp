#include "units/expr/AutocompletionSplitters.hpp"

#include <gtest/gtest.h>

using namespace CvUnitSys;

namespace {

TEST(AutocompletionSplitters, QualifierSplitsAtTheFirstAt) {
    struct Case {
        ustring text;
        ustring expression;
        bool hasQualifier;
        ustring qualifier;
    };
    const Case cases[] = {
        {u"m@x@y", u"m", true, u"x@y"},
        {u"kg*m", u"kg*m", false, u""},
        {u"@length", u"", true, u"length"},
        {u"degC@", u"degC", true, u""},
        {u"", u"", false, u""},
    };
    for (const auto& c : cases) {
        const auto out = getComponentsForAutoCompletion(c.text);
        EXPECT_EQ(out.expressionPart, c.expression);
        EXPECT_EQ(out.hasQualifier, c.hasQualifier);
        EXPECT_EQ(out.qualifierPart, c.qualifier);
    }
}

TEST(AutocompletionSplitters, ExpressionSplitsIntoCompletedAndLastTokens) {
    struct Case {
        ustring text;
        std::set<ustring> completed;
        ustring last;
        ustring leading;
    };
    const Case cases[] = {
        {u"kg*m/s^2*k", {u"kg", u"m", u"s"}, u"k", u"kg*m/s^2*"},
        {u"", {}, u"", u""},
        {u"(m", {}, u"m", u"("},
        {u"m*", {u"m"}, u"", u"m*"},
        {u"m^2", {}, u"m", u""},
        {u"(m*s)^2", {u"m", u"s"}, u"", u"(m*s)"},
        {u"m*m*k", {u"m"}, u"k", u"m*m*"},
        {u" kg * m", {u" kg "}, u" m", u" kg *"},
        {u"1/(m*s", {u"1", u"m"}, u"s", u"1/(m*"},
        {u"\u00b5m/\u03a9", {u"\u00b5m"}, u"\u03a9", u"\u00b5m/"},
    };
    for (const auto& c : cases) {
        const auto out = getInfoForAutocompletionFromUserExpression(c.text);
        EXPECT_EQ(out.completedTokens, c.completed);
        EXPECT_EQ(out.lastToken, c.last);
        EXPECT_EQ(out.leadingText, c.leading);
    }
}

TEST(AutocompletionSplitters, LongInputIsSplitInOnePass) {
    ustring text;
    for (int i = 0; i < 20000; ++i) {
        text += u"ab^2*";
    }
    const auto out = getInfoForAutocompletionFromUserExpression(text);
    EXPECT_EQ(out.completedTokens, std::set<ustring>{u"ab"});
    EXPECT_EQ(out.lastToken, u"");
    EXPECT_EQ(out.leadingText.size(), text.size());
}

} // namespace
