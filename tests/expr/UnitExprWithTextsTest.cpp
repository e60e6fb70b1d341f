#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/GenConvertedStringFromExpr.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/platform/IException.hpp"

#include <gtest/gtest.h>

using CvUnitSys::IUserException;
using CvUnitSys::UnitExprWithTexts;

namespace {

// The identifier and arguments of what `parse` throws, or "" when it parses.
template <typename Parse> std::string failure(Parse parse) {
    try {
        parse();
        return "";
    } catch (const IUserException& e) {
        const auto& args = e.getDiagnostic().items().front().id.getArgs();
        return e.getMessageIdentifier() + " " +
               std::to_string(boost::get<std::int64_t>(args.at(1)));
    }
}

// The single parse must give exactly what the separate parse and conversion
// give, including where a parse fails.
TEST(UnitExprWithTexts, AgreesWithTheSeparateParseAndConversion) {
    const ustring texts[] = {u"m",
                             u"kg*m/s^2",
                             u"1/(km*h)",
                             u"(km/h)^(1/2)",
                             u"h^-1^(0.5)",
                             u"m^-0*ft^1e300",
                             u"degC*blinks/mol^3",
                             u"  m  *  s  ",
                             u"((m))/((s^2))"};
    for (const ustring& text : texts) {
        const UnitExprWithTexts once = UnitExprWithTexts::parse(text);
        UnitExpr expected;
        parseUnitExprThrows(text, expected);
        EXPECT_EQ(once.expr, expected) << testing::PrintToString(text);
        EXPECT_EQ(once.texts, CvUnitSys::genConvertedStringsFromExpr(text))
            << testing::PrintToString(text);
    }
    for (const ustring text : {u"m*", u"(m", u"m^", u"m/*s", u"m^(1/0", u"@"}) {
        EXPECT_EQ(failure([&] { UnitExprWithTexts::parse(text); }), failure([&] {
                      UnitExpr out;
                      parseUnitExprThrows(text, out);
                  }))
            << testing::PrintToString(text);
        EXPECT_NE(failure([&] { UnitExprWithTexts::parse(text); }), "");
    }
}

} // namespace
