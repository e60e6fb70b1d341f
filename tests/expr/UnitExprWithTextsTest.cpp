#include "units/expr/UnitExprWithTexts.hpp"

#include "units/db/UnitDatabase.hpp"
#include "units/expr/GenConvertedStringFromExpr.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/platform/IException.hpp"

#include <algorithm>
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

// Each kept answer is the built-in database's own, and there is one entry per
// symbol.
void expectBuiltinAnswers(const UnitExprWithTexts& parsed) {
    const auto* database = CvUnitSys::UnitDatabase::getUnitDatabase();
    EXPECT_EQ(parsed.lookedUpIn, database);
    ASSERT_EQ(parsed.firstUnits.size(), parsed.expr.getExpr().size());
    std::size_t i = 0;
    for (const auto& [symbol, exponent] : parsed.expr.getExpr()) {
        const CvUnitSys::UnitBase* kept = parsed.firstUnits[i++];
        if (kept != nullptr) {
            EXPECT_EQ(kept, database->getFirstUnit(symbol).unit) << testing::PrintToString(symbol);
        }
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
        expectBuiltinAnswers(once);
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

// A text of many distinct symbols keeps the answers for the first few only:
// the rest are left for the caller to ask.
TEST(UnitExprWithTexts, KeepsFewAnswersForManySymbols) {
    ustring text = u"m";
    for (const char16_t* unit : {u"s", u"kg", u"A", u"K", u"mol", u"cd", u"km", u"h", u"ft", u"in",
                                 u"lb", u"N", u"J", u"W", u"Pa", u"Hz", u"V", u"ohm", u"mm"}) {
        text += u"*";
        text += unit;
    }
    text += u"/" + ustring(CvUnitSys::SymbolLookups::maxSymbolLength + 1, u'm');
    const UnitExprWithTexts parsed = UnitExprWithTexts::parse(text);
    expectBuiltinAnswers(parsed);
    EXPECT_LE(std::ranges::count_if(parsed.firstUnits, [](auto* unit) { return unit != nullptr; }),
              CvUnitSys::SymbolLookups::maxKept);
    EXPECT_NE(parsed.firstUnits.front(), nullptr);
}

} // namespace
