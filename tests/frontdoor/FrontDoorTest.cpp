#include "units/cv_units.hpp"
#include "units/query/UnitTable.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace {

using cv_units::Converter;
using cv_units::UnitError;

const std::string shopDatabase =
    std::string(CV_UNITS_SOURCE_DIR) + "/examples/user-databases/shop_units.xml";

struct ConversionCase {
    const char* from;
    const char* to;
    double value;
    double expected;
    const char* exact; // "" when the factor is not exact
    bool inverted;
};

TEST(FrontDoorTest, ConvertsWithTheExactFactorWhereThereIsOne) {
    const ConversionCase cases[] = {
        {"ft", "m", 3, 0.9144, "381/1250", false},
        {"degC", "degF", 100, 212, "9/5*x + 32", false},
        // One rounding: 36.6*1.8 + 32 in doubles is 97.88000000000001.
        {"degC", "degF", 36.6, 97.88, "9/5*x + 32", false},
        {"degF", "K", 32, 273.15, "5/9*x + 45967/180", false},
        {"km/h", "m/s", 36, 10, "5/18", false},
        {"Hz", "s", 4, 0.25, "", true},
        {"kg*m/s^2", "N", 2.5, 2.5, "1", false},
        // Products of exact factors past 2^53 stay exact.
        {"ft*lbf", "J", 1, 1.3558179483314003, "3389544870828501/2500000000000000", false},
        {"hp", "ft*lbf/s", 2, 1100, "550", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        const Converter converter(c.from, c.to);
        EXPECT_EQ(converter(c.value), c.expected);
        EXPECT_EQ(cv_units::convert(c.value, c.from, c.to), c.expected);
        EXPECT_EQ(converter.exact() ? converter.exact()->text() : "", c.exact);
        EXPECT_EQ(converter.inverted(), c.inverted);
    }
}

TEST(FrontDoorTest, SpansGiveTheFormulaForEveryValueInPlaceOrNot) {
    std::vector<double> values{
        0.0, -0.0, 1.5, -40, 1e308, std::nan(""), std::numeric_limits<double>::infinity()};
    for (const auto& [from, to] : {std::pair{"degC", "degF"}, std::pair{"Hz", "s"}}) {
        SCOPED_TRACE(from);
        const Converter c(from, to);
        std::vector<double> out(values.size());
        c(values, out);
        std::vector<double> inPlace = values;
        c(std::span<double>(inPlace));
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double want = c.inverted() ? c.scale() / values[i] + c.offset()
                                             : c.scale() * values[i] + c.offset();
            EXPECT_TRUE(out[i] == want || (std::isnan(out[i]) && std::isnan(want))) << i;
            EXPECT_TRUE(inPlace[i] == out[i] || (std::isnan(out[i]) && std::isnan(inPlace[i])));
        }
    }
    std::vector<double> tooShort(2);
    try {
        Converter("ft", "m")(values, tooShort);
        FAIL() << "a short output was accepted";
    } catch (const UnitError& e) {
        EXPECT_EQ(e.identifier(), "CvUnits:OutputTooShort");
    }
}

struct ErrorCase {
    std::string from;
    std::string to;
    const char* identifier;
    std::size_t column;
    const char* unknown; // the first unknown symbol, "" when none
    const char* candidate;
};

TEST(FrontDoorTest, RefusalsCarryIdentifierColumnAndSuggestions) {
    const ErrorCase cases[] = {
        {"m*/s", "m", "CorvaneTypes:Unit:InvalidUnitExpression", 3, "", ""},
        {"metre/sekond", "m/s", "CorvaneTypes:Unit:UnresolvedUnitsNotConvertible", 0, "sekond",
         "second"},
        {"m", "kilogramm", "CorvaneTypes:Unit:UnresolvedUnitsNotConvertible", 0, "kilogramm",
         "kilogram"},
        {"m", "s", "CorvaneTypes:Unit:UnitsNotConvertible", 0, "", ""},
        {"", "m", "CorvaneTypes:Unit:CannotConvertUnspecified", 0, "", ""},
        {"\xff", "m", "CvUnits:InvalidEncoding", 1, "", ""},
        {"m", "k\xc3(", "CvUnits:InvalidEncoding", 2, "", ""},
        {"m", "\xed\xa0\x80", "CvUnits:InvalidEncoding", 1, "", ""}, // a surrogate
        {"\xc3\xa9m\xf0\x9f", "m", "CvUnits:InvalidEncoding", 3, "", ""},
        {std::string("m\0s", 3), "m", "CvUnits:NulInText", 2, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + " -> " + c.to);
        // Texts that read give their refusal as a value; bad texts still throw.
        if (c.column == 0) {
            const auto& answer = cv_units::defaultUnits().tryConverter(c.from, c.to);
            ASSERT_TRUE(std::holds_alternative<UnitError>(answer));
            EXPECT_EQ(std::get<UnitError>(answer).identifier(), c.identifier);
        } else {
            EXPECT_THROW(cv_units::defaultUnits().tryConverter(c.from, c.to), UnitError);
        }
        try {
            cv_units::convert(1.0, c.from, c.to);
            FAIL() << "converted";
        } catch (const UnitError& e) {
            EXPECT_EQ(e.identifier(), c.identifier) << e.what();
            EXPECT_EQ(e.column(), c.column);
            EXPECT_NE(std::string(e.what()), "");
            EXPECT_EQ(e.summary().find('\n'), std::string::npos);
            if (*c.unknown == '\0') {
                EXPECT_TRUE(e.suggestions().empty());
            } else {
                ASSERT_FALSE(e.suggestions().empty());
                EXPECT_EQ(e.suggestions()[0].symbol, c.unknown);
                ASSERT_FALSE(e.suggestions()[0].candidates.empty());
                EXPECT_EQ(e.suggestions()[0].candidates[0], c.candidate);
            }
        }
    }
    // A refusal is not remembered as a converter: the same texts fail again.
    EXPECT_THROW(cv_units::convert(1.0, "m", "s"), UnitError);
}

TEST(FrontDoorTest, AContextStartsOverRatherThanGrowWithoutBound) {
    cv_units::Units units;
    constexpr int limit = 1 << 16;
    for (int i = 0; i < limit + 10; ++i) {
        const std::string text = "m^" + std::to_string(i + 2);
        ASSERT_EQ(units.convert(2.0, text, text), 2.0);
        ASSERT_LE(units.table().getNumUnits(), limit + 5u);
    }
    EXPECT_DOUBLE_EQ(units.convert(1.0, "ft", "m"), 0.3048);
}

TEST(FrontDoorTest, ComparisonsExplainWhatToDo) {
    struct Case {
        const char* a;
        const char* b;
        int code;
        const char* name;
        bool convertible;
        const char* fix; // a piece of the nearest fix, "" when none is expected
    };
    const Case cases[] = {
        {"m", "m", 0, "Equivalent", true, ""},
        {"km", "m", 4, "CanonicalScalingFactorDifference", true, ""},
        {"degC", "K", 6, "DifferentOffsets", true, ""},
        {"Hz", "s", 7, "ReciprocalUnits", true, ""},
        {"m", "s", 1, "IncompatibleUnits", false, ""},
        {"m/s", "m", 5, "DimensionallyInequivalent", false, "m is (m/s)*s in dimensions"},
        {"sekond", "s", 8, "UnresolvedUnits", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const cv_units::Comparison r = cv_units::compare(c.a, c.b);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.explanation, cv_units::comparisonExplanation(c.code));
        EXPECT_EQ(r.convertible, c.convertible);
        EXPECT_EQ(r.fix.value_or("").find(c.fix) != std::string::npos, true) << r.fix.value_or("");
    }
    const cv_units::Comparison r = cv_units::compare("m", "s");
    EXPECT_EQ(r.aDimensions, "m");
    EXPECT_EQ(r.differences, (std::vector<std::string>{"m (1 vs 0)", "s (0 vs 1)"}));
    const cv_units::Comparison unknown = cv_units::compare("sekond", "s");
    ASSERT_EQ(unknown.unknown.size(), 1u);
    EXPECT_EQ(unknown.unknown[0].candidates.at(0), "second");
    EXPECT_EQ(cv_units::comparisonName(10), "Unknown");
    EXPECT_EQ(cv_units::comparisonName(-1), "Unknown");
}

TEST(FrontDoorTest, ContextsHoldTheirDatabasesAndOthersSeeThemWhileHeld) {
    cv_units::Units plain;
    EXPECT_THROW(plain.convert(1, "fpf", "m/s"), UnitError);
    {
        cv_units::Units shop;
        shop.addDatabase(shopDatabase);
        shop.addDatabase(shopDatabase);
        const double fpf = 201.168 / (14 * 86400);
        EXPECT_DOUBLE_EQ(shop.convert(1, "fpf", "m/s"), fpf);
        // Databases are the process's: a context made before sees it too.
        EXPECT_DOUBLE_EQ(plain.convert(1, "fpf", "m/s"), fpf);
    }
    EXPECT_THROW(plain.convert(1, "fpf", "m/s"), UnitError);
    try {
        plain.addDatabase("/no/such/file.xml");
        FAIL() << "a missing file was accepted";
    } catch (const UnitError& e) {
        EXPECT_EQ(e.identifier(), "CvUnits:NoSuchDatabaseFile");
    }
}

} // namespace

TEST(FrontDoorTest, FindsUnitsAndComputesExpressions) {
    EXPECT_EQ(cv_units::complete("N*m").completes, "N*");
    EXPECT_EQ(cv_units::suggest("lenth", true), std::vector<std::string>{"length"});
    EXPECT_EQ(cv_units::similar("mph").quantity, "velocity");
    const std::vector<cv_units::Entry> found = cv_units::search("mile");
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const cv_units::Entry& e) {
        return e.kind == "unit" && e.symbol == "mi" && e.quantity == "length";
    }));

    EXPECT_EQ(cv_units::calc("(100 km)/(2 h)", "m/s").text(),
              "13.88888888888889 m/s (exactly 125/9)");
    const cv_units::Propagation p =
        cv_units::propagate("a/(b*c^2)", {{"a", "m"}, {"b", "s"}, {"c", "km"}},
                            {.convertOperands = true, .quotientFormat = 2, .drawTree = true});
    EXPECT_EQ(p.unit, "m*km^-2*s^-1");
    EXPECT_FALSE(p.tree.empty());
    try {
        cv_units::propagate("a + b", {{"a", "m"}, {"b", "s"}});
        ADD_FAILURE() << "adding m to s was not refused";
    } catch (const UnitError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("cannot add a and b: ", 0), 0u) << e.what();
    }
    EXPECT_THROW(cv_units::propagate("a", {{"a", "m"}}, {.quotientFormat = 3}), UnitError);
}
