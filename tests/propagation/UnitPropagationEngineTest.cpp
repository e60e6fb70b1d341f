#include "units/propagation/UnitPropagationEngine.hpp"

#include "db/DbSetFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace {

using namespace CvUnitSys;
using E = UnitMathExpression;
using Mode = UnitHeuristicManager::ConversionMode;

class UnitPropagationEngineTest : public ::testing::Test {
protected:
    E leaf(const ustring& text, std::int32_t operand = 1) {
        return E(table.registerUnit(text, true, true), operand);
    }
    std::string textOf(std::int32_t id) {
        return TextServices::toUtf8(table.getUserSpecifiedUnitExpr(id));
    }
    // The result's text and each operand's conversion target.
    std::pair<std::string, std::map<std::int32_t, std::string>> run(const E& e) {
        engine.init(e);
        const auto [id, conversions] = engine.propagate();
        std::map<std::int32_t, std::string> targets;
        for (const auto& [operand, target] : conversions) {
            targets[operand] = textOf(target);
        }
        return {textOf(id), targets};
    }
    // key(arg|arg|...) of the error a run throws, "" when it throws none.
    std::string error(const E& e) {
        try {
            engine.init(e);
            engine.propagate();
        } catch (const IUserException& ex) {
            engine.postPropagationCleanup();
            const DiagnosticItem& item = ex.getDiagnostic().items().back();
            std::string out = item.id.getKey() + "(";
            for (std::size_t i = 0; i < item.id.getArgs().size(); ++i) {
                const auto& arg = item.id.getArgs()[i];
                out += (i == 0 ? "" : "|");
                if (const auto* s = boost::get<ustring>(&arg)) {
                    out += TextServices::toUtf8(*s);
                } else {
                    out += std::to_string(boost::get<std::int64_t>(arg));
                }
            }
            return out + ")";
        }
        return "";
    }

    UnitTable table;
    UnitHeuristicManager heuristics;
    NoScalingUnitReductionMap units;
    UnitPropagationEngine engine{&table,
                                 &UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap(),
                                 &units, &heuristics};
};

TEST_F(UnitPropagationEngineTest, ResultsAreNamedUnitsOrTidyQuotientsWithTheirQuantity) {
    struct Case {
        std::function<E()> build;
        std::string result;
    };
    const Case cases[] = {
        {[&] { return leaf(u"m"); }, "m@length"},
        {[&] { return leaf(u"km"); }, "km@length"},
        {[&] { return leaf(u"m") * leaf(u"s"); }, "m*s"},
        {[&] { return E::pow(leaf(u"m"), 0.5); }, "m^0.5"},
        {[&] { return leaf(u"m") / leaf(u"s"); }, "m/s@velocity"},
        {[&] { return leaf(u"kg") * leaf(u"m") / E::pow(leaf(u"s"), 2); }, "N@force"},
        {[&] { return leaf(u"kPa") * leaf(u"L") / (leaf(u"mol") * leaf(u"K")); }, "L*kPa/(K*mol)"},
        // Two units share degC's scaling, so its own symbol is written, not K.
        {[&] { return leaf(u"degC") + leaf(u"degC"); }, "°C@thermodynamic_temperature"},
        {[&] { return leaf(u"m") / leaf(u"m"); }, "1"},
        {[&] { return leaf(u"m") + leaf(u"m") - leaf(u"m"); }, "m@length"},
    };
    for (const Case& c : cases) {
        const E e = c.build();
        const std::size_t before = table.getNumUnits();
        // The second run puts back the intermediates the first one removed.
        for (int pass = 0; pass < 2; ++pass) {
            const auto [result, conversions] = run(e);
            EXPECT_EQ(result, c.result);
            EXPECT_TRUE(conversions.empty()) << c.result;
            // Only the leaves' units and the result stay: intermediates are removed.
            EXPECT_LE(table.getNumUnits(), before + 1) << c.result;
        }
    }
    EXPECT_EQ(table.getUnitId(u"(m)*(s)", true), UnitTable::NoUnitId);
}

TEST_F(UnitPropagationEngineTest, AnIntermediateTheCallerRegisteredStays) {
    const std::int32_t id = table.registerUnit(u"(m)*(s)", true, true);
    run(leaf(u"m") * leaf(u"s"));
    EXPECT_EQ(table.getUnitId(u"(m)*(s)", true), id);
}

TEST_F(UnitPropagationEngineTest, ConvertingOperandsNamesTheirTargets) {
    heuristics.setConversionMode(UnitHeuristicManager::ConvertOperands);
    struct Case {
        std::function<E()> build;
        std::string result;
        std::map<std::int32_t, std::string> conversions;
    };
    const Case cases[] = {
        {[&] { return leaf(u"m", 1) + leaf(u"km", 2); }, "m@length", {{2, "m"}}},
        {[&] { return leaf(u"ft", 1) - leaf(u"m", 2); }, "m@length", {{1, "m"}}},
        // Reciprocal quantities: the right operand's exponents are negated.
        {[&] { return leaf(u"s", 1) + leaf(u"Hz", 2); }, "s@time", {{2, "s"}}},
        {[&] { return leaf(u"degC", 1) * leaf(u"m", 2); }, "K*m", {{1, "K"}}},
        {[&] { return leaf(u"degC", 1) + leaf(u"K", 2); },
         "K@thermodynamic_temperature",
         {{1, "K"}}},
        {[&] { return E::pow(leaf(u"degF", 1), 2); }, "K^2", {{1, "K"}}},
        // Once any operand needs converting, every leaf goes to fundamental units.
        {[&] { return (leaf(u"m", 1) + leaf(u"km", 2)) * leaf(u"min", 3); },
         "m*s",
         {{2, "m"}, {3, "s"}}},
        {[&] { return leaf(u"Pa", 1) + leaf(u"psi", 2); },
         "Pa@pressure",
         {{1, "kg*m^-1*s^-2"}, {2, "kg*m^-1*s^-2"}}},
    };
    for (const Case& c : cases) {
        const auto [result, conversions] = run(c.build());
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(conversions, c.conversions) << c.result;
        for (const auto& [operand, target] : conversions) {
            EXPECT_NE(table.getUnitId(TextServices::fromUtf8(target), true), UnitTable::NoUnitId);
        }
    }
}

TEST_F(UnitPropagationEngineTest, RefusalsNameTheOperationAndOperands) {
    struct Case {
        Mode mode;
        std::function<E()> build;
        std::string error;
    };
    const Mode strict = UnitHeuristicManager::ErrorOnConversion;
    const Mode convert = UnitHeuristicManager::ConvertOperands;
    const Case cases[] = {
        {strict, [&] { return leaf(u"m") + leaf(u"km"); },
         "UnitPropagationEngineOperationRequiresConversion(add|m|km)"},
        // Units defined on the same unit with different factors are different units.
        {strict, [&] { return leaf(u"ft") + leaf(u"in"); },
         "UnitPropagationEngineOperationRequiresConversion(add|ft|in)"},
        {strict, [&] { return leaf(u"degC") - leaf(u"degF"); },
         "UnitPropagationEngineOperationRequiresConversion(subtract|°C|°F)"},
        {strict, [&] { return leaf(u"s") - leaf(u"Hz"); },
         "UnitPropagationEngineOperationRequiresConversion(subtract|s|Hz)"},
        {strict, [&] { return leaf(u"degC") * leaf(u"m"); },
         "UnitPropagationEngineOperationRequiresConversion(multiply|°C|m)"},
        {strict, [&] { return leaf(u"m") / leaf(u"degF"); },
         "UnitPropagationEngineOperationRequiresConversion(divide|m|°F)"},
        {strict, [&] { return E::pow(leaf(u"degC"), 0.5); },
         "UnitPropagationEngineExponentiationRequiresConversion(°C|0.5)"},
        {strict, [&] { return leaf(u"m") + leaf(u"kg"); },
         "UnitPropagationEnginePhysicalQuantityOperationUndefined(add|length|mass)"},
        {convert, [&] { return leaf(u"m") * leaf(u"s") - leaf(u"kg"); },
         "UnitPropagationEnginePhysicalQuantityOperationUndefined(subtract||mass)"},
        {convert, [&] { return leaf(u"m") + E(4711, 2); }, "InvalidUnitId(4711)"},
        {convert, [&] { return E(E::Add, 1ul); }, "InvalidUnitId(-10)"},
        {convert, [&] { return E(UnitTable::InheritUnitId, 1) * leaf(u"m"); }, "InvalidUnitId(-1)"},
    };
    for (const Case& c : cases) {
        heuristics.setConversionMode(c.mode);
        const E e = c.build();
        const std::size_t before = table.getNumUnits();
        EXPECT_EQ(error(e), c.error);
        EXPECT_EQ(table.getNumUnits(), before) << c.error;
    }
    EXPECT_EQ(error(E(1, 1)), "");
    EXPECT_EQ(engine.isInitialized(), false);
    heuristics.resetToDefaultBehavior();
    EXPECT_THROW(engine.propagate(), IUserException);
}

TEST_F(UnitPropagationEngineTest, OutputFormatsWriteDenominatorsThreeWays) {
    struct Case {
        ustring unit;
        std::string formats[3];
    };
    const Case cases[] = {
        {u"m/(s*K^2)", {"m/(K^2*s)", "m/K^2/s", "m*K^-2*s^-1"}},
        {u"1/s", {"1/s", "1/s", "s^-1"}},
        {u"m^2/s", {"m^2/s", "m^2/s", "m^2*s^-1"}},
        {u"m/m", {"1", "1", "1"}},
    };
    for (const Case& c : cases) {
        const UnitBase* unit = table.getUnit(table.registerUnit(c.unit, true, true));
        for (int f = 0; f < 3; ++f) {
            EXPECT_EQ(TextServices::toUtf8(engine.reformatOutputUnitExpression(
                          unit, static_cast<UnitHeuristicManager::UnitOutputFormat>(f))),
                      c.formats[f]);
        }
    }
}

// What the engine remembers between runs follows the databases.
TEST_F(UnitPropagationEngineTest, ADatabaseChangeReachesTheNextRun) {
    dbset_test::Universe universe;
    const E e = leaf(u"m") * leaf(u"s");
    EXPECT_EQ(run(e).first, "m*s");
    universe.add(u"odd", {{{u"reach", u"length*time"}},
                          {{u"rch", u"m*s", u"reach", {u"1", ConversionFactorType::Double}}},
                          u"odd"});
    EXPECT_EQ(run(e).first, "rch@reach");
}

// A long sum is walked without recursion; a long product's unit text nests
// one level per factor and is refused by the parser's nesting limit, leaving
// no intermediate unit behind.
TEST_F(UnitPropagationEngineTest, DeepExpressionsEndInAResultOrAClearError) {
    E sum = leaf(u"m");
    for (int i = 0; i < 100000; ++i) {
        sum = std::move(sum) + leaf(u"m", i);
    }
    EXPECT_EQ(run(sum).first, "m@length");

    E product = leaf(u"m");
    for (int i = 0; i < 1000; ++i) {
        product = std::move(product) * leaf(u"s", i);
    }
    const std::size_t before = table.getNumUnits();
    EXPECT_EQ(error(product).substr(0, 22), "InvalidUnitExpression(");
    EXPECT_EQ(table.getNumUnits(), before);
}

} // namespace
