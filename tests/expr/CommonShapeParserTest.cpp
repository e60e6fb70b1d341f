#include "units/expr/CommonShapeParser.hpp"

#include "expr/ParsedEntries.hpp"
#include "expr/ShortTexts.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/expr/UnitExprWithTexts.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/platform/IException.hpp"

#include <gtest/gtest.h>
#include <random>

namespace {

using namespace CvUnitSys;
using Builder = PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>;

// Whatever the hand-written reader accepts, the grammar must accept with the
// same expression and the same four texts, and so must the symbols and texts
// of the reader's tape, with the built-in database's answer for each symbol.
// True when it accepted the text.
bool expectGrammarAgrees(const ustring& text) {
    const auto fast = CommonShapeParser<Builder>::parse(text);
    if (!fast) {
        return false;
    }
    try {
        const auto grammar = parseWithGrammarThrows<Builder>(text);
        EXPECT_EQ(fast->first, grammar.first) << testing::PrintToString(text);
        EXPECT_EQ(fast->second.text, grammar.second.text) << testing::PrintToString(text);
        const UnitExprWithTexts taped(text);
        EXPECT_EQ(expr_test::entriesOf(taped), expr_test::entriesOf(grammar.first))
            << testing::PrintToString(text);
        EXPECT_EQ(expr_test::textsOf(taped, text), grammar.second.text)
            << testing::PrintToString(text);
        bool names = true;
        for (const ParsedSymbol& symbol : taped.symbols) {
            const ustring own(symbol.text);
            EXPECT_EQ(symbol.first, UnitDatabase::getUnitDatabase()->getFirstUnit(own).unit)
                << testing::PrintToString(own);
            names = names && isValidStringForUnitName(own);
        }
        EXPECT_EQ(taped.symbolsAreNames, names) << testing::PrintToString(text);
    } catch (const IUserException&) {
        ADD_FAILURE() << "the grammar refuses " << testing::PrintToString(text);
    }
    return true;
}

TEST(CommonShapeParser, AgreesWithTheGrammarOnEveryShortText) {
    // Operators, blanks, digits, signs and the characters that start a real
    // number's fraction or exponent, around two symbols.
    const std::u16string_view alphabet = u"m1 */^()-.e\t";
    std::size_t accepted = 0;
    expr_test::forEachShortText(
        alphabet, 5, [&](const ustring& text) { accepted += expectGrammarAgrees(text) ? 1 : 0; });
    EXPECT_GT(accepted, 1000U);
}

TEST(CommonShapeParser, AgreesWithTheGrammarOnLongerTexts) {
    // "um" is a unit whose symbol is not its ASCII symbol; a comma may be in a
    // symbol but not in a name; the reader stops at a character past ASCII.
    const std::u16string_view alphabet = u"mskgu12 */^()+-.,(1/2)\u00b5";
    std::mt19937 random(21);
    for (int n = 0; n < 20000; ++n) {
        ustring text;
        const std::size_t length = 6 + random() % 10;
        for (std::size_t i = 0; i < length; ++i) {
            text.push_back(alphabet[random() % alphabet.size()]);
        }
        expectGrammarAgrees(text);
    }
}

// The shapes it exists for are read without the grammar, and every text
// outside them is left to it.
TEST(CommonShapeParser, TakesTheCommonShapesOnly) {
    for (const ustring& text : std::initializer_list<ustring>{
             u"m", u"kg*m/s^2", u"1/(km*h)", u"m^(1/2)", u"(m/s)^(-3/2)", u"km^-1", u" m * s ",
             u"1/s/m", u"10/s", u"m^(2)", u"((m))/((s^2))", u"m^+2^-0", u"N*m/(mol*K)",
             u"m^9007199254740993", u"m^-9999999999999999", u"1/(a_b*s)^2/((kg))^(-1/2)*_x__y_",
             u"um*degC/Ohm^2", u"um*" + ustring(200, u'x'), u"m" + ustring(200, u'x') + u"*um"}) {
        EXPECT_TRUE(CommonShapeParser<Builder>::parse(text)) << testing::PrintToString(text);
        expectGrammarAgrees(text);
    }
    const ustring deep = ustring(CommonShapeParser<Builder>::maxDepth + 1, u'(') + u"m" +
                         ustring(CommonShapeParser<Builder>::maxDepth + 1, u')');
    for (const ustring& text : std::initializer_list<ustring>{
             u"", u"m s", u"m^0.5", u"m^2e1", u"m^inf", u"m^((2))", u"\u00b5m", u"m^(1/x)",
             u"m^(1234567890/2)", u"m-s", u"1/", deep}) {
        EXPECT_FALSE(CommonShapeParser<Builder>::parse(text)) << testing::PrintToString(text);
    }
}

} // namespace
