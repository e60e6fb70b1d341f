#include "units/expr/ParseUnitExpr.hpp"

#include "expr/ShortTexts.hpp"
#include "units/expr/UnitComponentSplit.hpp"
#include "units/platform/IException.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

using CvUnitSys::Exponent;
using CvUnitSys::IUserException;

namespace {

struct Entry {
    ustring symbol;
    double pos;
    double neg;
};

struct GoodCase {
    ustring text;
    std::vector<Entry> entries;
};

UnitExpr parse(const ustring& text) {
    UnitExpr out;
    parseUnitExprThrows(text, out);
    return out;
}

// The column of the ParsingError that `text` raises, or 0 when it parses.
std::int64_t errorColumn(const ustring& text) {
    try {
        parse(text);
        return 0;
    } catch (const IUserException& e) {
        EXPECT_EQ(e.getMessageIdentifier(), "CorvaneTypes:Unit:ParsingError");
        const auto& args = e.getDiagnostic().items().front().id.getArgs();
        EXPECT_EQ(boost::get<ustring>(args.at(0)), text);
        return boost::get<std::int64_t>(args.at(1));
    }
}

TEST(ParseUnitExpr, ValidExpressionsGiveSymbolsWithBothExponentParts) {
    const GoodCase cases[] = {
        {u"m/s", {{u"m", 1, 0}, {u"s", 0, 1}}},
        {u"m*m", {{u"m", 2, 0}}},
        {u"m/m", {{u"m", 1, 1}}},
        {u"kg*m/s^2", {{u"kg", 1, 0}, {u"m", 1, 0}, {u"s", 0, 2}}},
        {u"1/s", {{u"s", 0, 1}}},
        {u"1/(m*s)", {{u"m", 0, 1}, {u"s", 0, 1}}},
        {u"1/s/m", {{u"m", 0, 1}, {u"s", 0, 1}}},
        {u"1", {{u"1", 1, 0}}},
        {u"10/s", {{u"10", 1, 0}, {u"s", 0, 1}}},
        {u"m*1/s", {{u"1", 1, 0}, {u"m", 1, 0}, {u"s", 0, 1}}},
        {u"(1/s)", {{u"s", 0, 1}}},
        {u"a/b*c", {{u"a", 1, 0}, {u"b", 0, 1}, {u"c", 1, 0}}},
        {u"m^-1^-1", {{u"m", 1, 0}}},
        {u"m^2^3", {{u"m", 6, 0}}},
        {u"(m/s)^2", {{u"m", 2, 0}, {u"s", 0, 2}}},
        {u"m^(1/2)", {{u"m", 0.5, 0}}},
        {u"m^(-1/2)", {{u"m", 0, 0.5}}},
        {u"m^(1/-2)", {{u"m", 0, 0.5}}},
        {u"m^.5", {{u"m", 0.5, 0}}},
        {u"m^5.", {{u"m", 5, 0}}},
        {u"m^((2))", {{u"m", 2, 0}}},
        {u"m^(2.5)", {{u"m", 2.5, 0}}},
        {u"m^1e2", {{u"m", 100, 0}}},
        {u"m ^ ( 1 / 2 )", {{u"m", 0.5, 0}}},
        {u" m / s ", {{u"m", 1, 0}, {u"s", 0, 1}}},
        {u"\tm\u3000/\u00a0s\n", {{u"m", 1, 0}, {u"s", 0, 1}}},
        {u"m*m/m", {{u"m", 2, 1}}},
        {u"\u03bcm*degC*%*m2*$#~!?;:=|.,_",
         {{u"$#~!?;:=|.,_", 1, 0},
          {u"%", 1, 0},
          {u"degC", 1, 0},
          {u"m2", 1, 0},
          {u"\u03bcm", 1, 0}}},
        {u"\U0001D400/s", {{u"s", 0, 1}, {u"\U0001D400", 1, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        const UnitExpr e = parse(c.text);
        ASSERT_EQ(e.getExpr().size(), c.entries.size());
        auto it = e.getExpr().begin();
        for (const auto& want : c.entries) {
            EXPECT_EQ(it->first, want.symbol);
            EXPECT_EQ(it->second.getPosExpo(), want.pos);
            EXPECT_EQ(it->second.getNegExpo(), want.neg);
            ++it;
        }
    }
}

TEST(ParseUnitExpr, SyntaxErrorsReportTheirColumn) {
    const std::pair<ustring, std::int64_t> cases[] = {
        {u"", 1},
        {u"   ", 4},
        {u"k g", 3},
        {u"m s", 3},
        {u"m**s", 3},
        {u"m/", 3},
        {u"m^", 3},
        {u"(m", 3},
        {u"m^(1/x)", 6},
        {u"m)", 2},
        {u"1/", 3},
        {u"(m*)", 4},
        {u"\t*", 5},
        {u"ab\t*", 6},
        {u"abcd\t*", 10},
        {u"m-s", 2},
        {u"m+s", 2},
        {u"m&s", 2},
        {u"*m", 1},
        {u"m^(1.5/2)", 7},
        {u"m\n**", 2},
        {u"m\r\n s", 2},
        {u"kg m", 4},
        {u"m@x", 2},
        {u"\u03bcm \u03bcs", 4},
        {u"\U0001D400 x", 3},
        {u"m^(1/0", 7},
        {ustring(u"m\0s", 3), 2},
    };
    for (const auto& [text, column] : cases) {
        EXPECT_EQ(errorColumn(text), column) << std::string(text.begin(), text.end());
    }
}

TEST(ParseUnitExpr, NoThrowReturnsFalseAndLeavesOutputUntouched) {
    UnitExpr out(u"kept");
    EXPECT_FALSE(parseUnitExprNoThrow(u"m**s", out));
    ASSERT_EQ(out.getExpr().size(), 1u);
    EXPECT_TRUE(parseUnitExprNoThrow(u"m/s", out));
    EXPECT_EQ(out.getExpr().size(), 3u);
}

// Ill-formed UTF-16 is not a syntax error: the decoder's error names the
// surrogate and where it stands, and NoThrow lets it pass.
TEST(ParseUnitExpr, UnpairedSurrogateIsOutOfRange) {
    const std::pair<ustring, std::string> cases[] = {
        {ustring(1, u'\xD800'), "unpaired UTF-16 surrogate 0xD800 at code unit 1"},
        {u"m*" + ustring(1, u'\xDC00'), "unpaired UTF-16 surrogate 0xDC00 at code unit 3"},
        {u"\U0001D400" + ustring(1, u'\xD801') + u"m", "0xD801 at code unit 3"},
    };
    for (const auto& [text, message] : cases) {
        UnitExpr out;
        try {
            parseUnitExprNoThrow(text, out);
            ADD_FAILURE() << message;
        } catch (const std::out_of_range& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
        EXPECT_THROW(parseUnitExprThrows(text, out), std::out_of_range);
    }
}

TEST(ParseUnitExpr, HostileInputNeverCrashes) {
    const std::size_t deep = 10000;
    const ustring nested = ustring(deep, u'(') + u"m" + ustring(deep, u')');
    EXPECT_EQ(errorColumn(nested), static_cast<std::int64_t>(CvUnitSys::maxUnitExprNesting) + 1);
    const ustring allowed = ustring(CvUnitSys::maxUnitExprNesting, u'(') + u"m" +
                            ustring(CvUnitSys::maxUnitExprNesting, u')');
    EXPECT_EQ(errorColumn(allowed), 0);
    EXPECT_EQ(errorColumn(u"m**" + ustring(deep, u'(')), 3) << "earlier errors come first";
    EXPECT_EQ(errorColumn(ustring(deep, u')')), 1);

    ustring product;
    for (int i = 0; product.size() < 1'000'000; ++i) {
        product += (i == 0 ? u"" : u"*") + ustring(u"u") + ustring(1, char16_t(u'a' + i % 26));
    }
    EXPECT_EQ(parse(product).getExpr().size(), 26u);
    EXPECT_EQ(parse(ustring(1'000'000, u'x')).getExpr().size(), 1u);

    EXPECT_EQ(errorColumn(u"m^(99999999999/2)"), 15);
}

// Exponents follow the standard real-number syntax: an exponent part out of
// range is an error at the number; the words, NaN payloads and a zero
// denominator give exponents that are not finite, whose unused part stays 0.
TEST(ParseUnitExpr, NumbersThatAreNotFinite) {
    const std::pair<ustring, std::int64_t> refused[] = {
        {u"m^1e999", 3}, {u"m^-1e999", 3}, {u"m^1e-999", 3}, {u"m^(1e999)", 4}, {u"m^nan(", 3}};
    for (const auto& [text, column] : refused) {
        EXPECT_EQ(errorColumn(text), column) << std::string(text.begin(), text.end());
    }
    const double inf = std::numeric_limits<double>::infinity();
    const std::tuple<ustring, double, double> accepted[] = {
        {u"m^inf", inf, 0},      {u"m^-Infinity", 0, inf}, {u"m^1.8e308", inf, 0},
        {u"m^2^1e308", inf, 0},  {u"m^(1/0)", inf, 0},     {u"m^(-1/0)", 0, inf},
        {u"(m^inf)^-1", 0, inf}, {u"m^1e-320", 1e-320, 0},
    };
    for (const auto& [text, pos, neg] : accepted) {
        const Exponent e = parse(text).getExpr().at(u"m");
        EXPECT_EQ(e.getPosExpo(), pos) << std::string(text.begin(), text.end());
        EXPECT_EQ(e.getNegExpo(), neg) << std::string(text.begin(), text.end());
        EXPECT_EQ(parse(text), parse(text)) << "a second parse gives the same expression";
    }
    for (const ustring text : {u"m^nan(1)", u"m^-NaN", u"m^(0/0)"}) {
        const Exponent e = parse(text).getExpr().at(u"m");
        EXPECT_TRUE(std::isnan(e.getPosExpo()) && !std::signbit(e.getPosExpo()));
        EXPECT_EQ(e.getNegExpo(), 0.0);
    }
}

TEST(ParseUnitExpr, ThreadsParseIndependently) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                UnitExpr out;
                const bool good = (i + t) % 2 == 0;
                if (parseUnitExprNoThrow(good ? u"kg*m/s^2" : u"kg**m", out) != good ||
                    (good && out.getExpr().size() != 3)) {
                    ++failures[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

TEST(ParseExprForUnitComponents, SplitsAtTheQualifier) {
    struct Case {
        ustring text;
        bool ok;
        ustring expr;
        ustring qualifier;
    };
    const Case cases[] = {
        {u"m/s@x", true, u"m/s", u"x"},
        {u"m / s", true, u"m / s", u""},
        {u"m@x@y", false, u"", u""},
        {u"degC@thermodynamic_temperature", true, u"degC", u"thermodynamic_temperature"},
        {u"@length", true, u"", u"length"},
        {u"m@", false, u"", u""},
        {u"m@a*b", false, u"", u""},
        {u"", true, u"", u""},
        {u"  @length", true, u"", u"length"},
        {u"km ", true, u"km", u""},
        {ustring(1, u'\xD800'), false, u"", u""},
    };
    for (const auto& c : cases) {
        ustring expr = u"?";
        ustring qualifier = u"?";
        EXPECT_EQ(parseExprForUnitComponents(c.text, expr, qualifier), c.ok)
            << std::string(c.text.begin(), c.text.end());
        if (c.ok) {
            EXPECT_EQ(expr, c.expr);
            EXPECT_EQ(qualifier, c.qualifier);
        }
    }
}

// ASCII texts are split by hand; every short one must get the grammar's answer.
TEST(ParseExprForUnitComponents, AsciiSplitAgreesWithTheGrammar) {
    expr_test::forEachShortText(u"m @x*\t-\x01", 5, [](const ustring& text) {
        ustring byHand[2] = {u"?", u"?"};
        ustring byGrammar[2] = {u"?", u"?"};
        const auto split = CvUnitSys::splitAsciiUnitComponents(text, byHand[0], byHand[1]);
        ASSERT_TRUE(split.has_value());
        EXPECT_EQ(*split, CvUnitSys::splitUnitComponentsByGrammar(text, byGrammar[0], byGrammar[1]))
            << testing::PrintToString(text);
        EXPECT_EQ(byHand[0], byGrammar[0]) << testing::PrintToString(text);
        EXPECT_EQ(byHand[1], byGrammar[1]) << testing::PrintToString(text);
    });
    ustring expr;
    ustring qualifier;
    EXPECT_FALSE(CvUnitSys::splitAsciiUnitComponents(u"\u00b5m@x", expr, qualifier));
}

TEST(UnitExpr, AlgebraKeepsNumeratorAndDenominatorApart) {
    UnitExpr a(u"m");
    a /= UnitExpr(u"m");
    EXPECT_EQ(a.getExpr().at(u"m"), Exponent(1.0, 1.0));
    UnitExpr b(u"s", Exponent(-2));
    b ^= Exponent(3);
    EXPECT_EQ(b.getExpr().at(u"s"), Exponent(0.0, 6.0));
    EXPECT_EQ(b.invert().getExpr().at(u"s"), Exponent(6.0, 0.0));
    UnitExpr c(u"x");
    c = UnitExpr(u"y");
    EXPECT_EQ(c.getExpr().size(), 2u) << "assignment merges into existing entries";
    EXPECT_EQ(c.getReducedUnitExpr(), c);
}

} // namespace
