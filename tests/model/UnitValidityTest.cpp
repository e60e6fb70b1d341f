#include "units/model/UnitBase.hpp"
#include "units/platform/IException.hpp"

#include <gtest/gtest.h>

using CvUnitSys::IUserException;
using CvUnitSys::UnitBase;

namespace {

TEST(UnitValidity, UnitExpressionsAcceptOnlyValidNames) {
    struct Case {
        ustring text;
        bool valid;
    };
    const Case cases[] = {
        {u"m", true},       {u"kg*m/s^2", true},       {u"m^(1/2)", true},
        {u"1/(m*s)", true}, {u"\u00b5m*\u03a9", true}, {u"m/m", true},
        {u"a,b*m", false},  {u"m*a,b", false},         {u"m*\u200fx", false},

    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnitBase::isValidUnitExpr(c.text), c.valid)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(UnitValidity, ParseErrorsReachTheCaller) {
    for (const ustring text : {u"m*", u"(m", u"m//s", u"*", u"m*[x]", u"m*x\u0007"}) {
        EXPECT_THROW(UnitBase::isValidUnitExpr(text), IUserException);
        // The split may already refuse the text; either way it is not valid.
        bool valid = true;
        try {
            valid = UnitBase::isValidExpr(text);
        } catch (const IUserException&) {
            valid = false;
        }
        EXPECT_FALSE(valid);
    }
}

TEST(UnitValidity, ExpressionsWithAQualifier) {
    struct Case {
        ustring text;
        bool valid;
    };
    const Case cases[] = {
        {u"m", true},       {u"degC@thermodynamic_temperature", true},
        {u"@length", true}, {u"m@", false},
        {u"", true},        {u"m@len,gth", false},
        {u"m@a b", false},  {u"m@x@y", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnitBase::isValidExpr(c.text), c.valid)
            << std::string(c.text.begin(), c.text.end());
    }
}

TEST(UnitValidity, HostileTextIsJudgedNotThrown) {
    const ustring longName(100000, u'a');
    EXPECT_TRUE(UnitBase::isValidUnitExpr(longName));
    EXPECT_TRUE(UnitBase::isValidExpr(longName + u"@" + longName));
    ustring longProduct = u"m";
    for (int i = 0; i < 20000; ++i) {
        longProduct += u"*s";
    }
    EXPECT_TRUE(UnitBase::isValidUnitExpr(longProduct));
    for (const ustring text : {u"m*\xd800", u"\xdc00", u"m@\xd800x", u"\xd800@x"}) {
        EXPECT_FALSE(UnitBase::isValidUnitExpr(text));
        EXPECT_FALSE(UnitBase::isValidExpr(text));
    }
    EXPECT_FALSE(UnitBase::isValidUnitExpr(u"m*\u202ex"));
    EXPECT_TRUE(UnitBase::isValidUnitExpr(u"\u05de\u05d8\u05e8/s"));
}

} // namespace
