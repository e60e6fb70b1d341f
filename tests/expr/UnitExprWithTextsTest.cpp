#include "units/expr/UnitExprWithTexts.hpp"

#include "expr/ParsedEntries.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/GenConvertedStringFromExpr.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <gtest/gtest.h>
#include <string>

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

// Each answer kept is the built-in database's own.
void expectBuiltinAnswers(const UnitExprWithTexts& parsed) {
    const auto* database = CvUnitSys::UnitDatabase::getUnitDatabase();
    EXPECT_EQ(parsed.lookedUpIn, database);
    for (const auto& symbol : parsed.symbols) {
        if (symbol.first != nullptr) {
            EXPECT_EQ(symbol.first, database->getFirstUnit(ustring(symbol.text)).unit)
                << testing::PrintToString(ustring(symbol.text));
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
        const UnitExprWithTexts once(text);
        UnitExpr expected;
        parseUnitExprThrows(text, expected);
        EXPECT_EQ(expr_test::entriesOf(once), expr_test::entriesOf(expected))
            << testing::PrintToString(text);
        const auto all = CvUnitSys::genConvertedStringsFromExpr(text);
        EXPECT_EQ(expr_test::textsOf(once, text), all) << testing::PrintToString(text);
        expectBuiltinAnswers(once);
        // Left out and made later, the display and name forms are the same.
        // A text left to the grammar has all four forms anyway.
        const UnitExprWithTexts later(text, UnitExprWithTexts::Forms::MadeLater);
        for (const std::size_t form : {2, 3}) {
            EXPECT_EQ(later.texts.of(form, text), all[form]) << testing::PrintToString(text);
        }
        EXPECT_EQ(UnitExprWithTexts::formsMadeLater(text), (std::array{all[1], all[0]}))
            << testing::PrintToString(text);
    }
    for (const ustring text : {u"m*", u"(m", u"m^", u"m/*s", u"m^(1/0", u"@"}) {
        EXPECT_EQ(failure([&] { const UnitExprWithTexts parsed(text); }), failure([&] {
                      UnitExpr out;
                      parseUnitExprThrows(text, out);
                  }))
            << testing::PrintToString(text);
        EXPECT_NE(failure([&] { const UnitExprWithTexts parsed(text); }), "");
    }
}

// A text of more symbols than the hand reader merges in place is still read,
// and gives what the grammar gives.
TEST(UnitExprWithTexts, ReadsTextsOfManySymbols) {
    ustring text = u"m";
    for (int i = 0; i < 40; ++i) {
        text += i % 3 == 0 ? u"/s" : u"*s";
        text += CvUnitSys::TextServices::fromUtf8(std::to_string(i));
    }
    text += u"/" + ustring(CvUnitSys::SymbolLookups::maxSymbolLength + 1, u'm') + u"*m";
    const UnitExprWithTexts parsed(text);
    UnitExpr expected;
    parseUnitExprThrows(text, expected);
    EXPECT_EQ(expr_test::entriesOf(parsed), expr_test::entriesOf(expected));
    EXPECT_EQ(expr_test::textsOf(parsed, text), CvUnitSys::genConvertedStringsFromExpr(text));
    expectBuiltinAnswers(parsed);
    EXPECT_NE(parsed.symbols.front().first, nullptr);
}

} // namespace
