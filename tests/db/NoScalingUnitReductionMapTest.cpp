#include "units/db/NoScalingUnitReductionMap.hpp"

#include "db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace dbset_test;

using Symbols = NoScalingUnitReductionMap::Symbols;

class NoScalingUnitReductionMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        set.initializeIfNeeded();
        map.initializeIfNeeded(set);
    }
    // The units with exactly the fundamental expression and scaling of `of`'s
    // expression and `scaledAs`'s scaling.
    Symbols matching(const ustring& of, const ustring& scaledAs) {
        const UnitDefinition& expression = set.definitionOf(set.getUnit(of));
        const UnitDefinition& scaling = set.definitionOf(set.getUnit(scaledAs));
        return map.getMatching(
            NoScalingUnitReductionMap::astToBaseExpression(expression.getFundamentalAST()),
            scaling.getFundamentalConversionFactor());
    }
    static bool contains(const Symbols& symbols, const ustring& symbol) {
        return std::find(symbols.begin(), symbols.end(), symbol) != symbols.end();
    }

    WarningCollector warnings;
    Universe universe;
    UnitDBSet set;
    NoScalingUnitReductionMap map;
};

TEST_F(NoScalingUnitReductionMapTest, MatchesOnlyTheExactScaleAndOffset) {
    struct Case {
        ustring of, scaledAs, symbol;
        bool found;
    };
    const Case cases[] = {
        {u"N", u"N", u"N", true},
        {u"N", u"N", u"kN", false},
        {u"km", u"km", u"km", true},
        {u"km", u"m", u"km", false},
        {u"m", u"km", u"m", false},
        {u"degC", u"degC", u"°C", true},
        // An offset never matches a request without one, and the other way round.
        {u"K", u"K", u"°C", false},
        {u"degC", u"degC", u"K", false},
        {u"degF", u"degC", u"°F", false},
        {u"m", u"ft", u"m", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(contains(matching(c.of, c.scaledAs), c.symbol), c.found)
            << TextServices::toUtf8(c.of + u" " + c.scaledAs + u" " + c.symbol);
    }
    // An alias shares its unit's symbol and is not listed again.
    EXPECT_EQ(matching(u"m", u"m"), Symbols{u"m"});
    EXPECT_EQ(matching(u"km", u"km"), Symbols{u"km"});
}

TEST_F(NoScalingUnitReductionMapTest, BaseExpressionsTakeTheSimplifiedExponentsUnsorted) {
    UnitAST ast;
    ast.addToAST(set.getUnit(u"s"), Exponent(0, 2));
    ast.addToAST(set.getUnit(u"m"), Exponent(2, 1));
    ast.addToAST(set.getUnit(u"kg"), Exponent(1, 1));
    const BaseExpression x = NoScalingUnitReductionMap::astToBaseExpression(ast);
    ASSERT_EQ(x.size(), 3u);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto& [unit, e] = *std::next(ast.getAST().begin(), static_cast<long>(i));
        EXPECT_EQ(x[i].first, unit.get().getSymbol());
        EXPECT_EQ(x[i].second.getPosExpo(), std::max(e.getSimplifiedExpo(), 0.0));
        EXPECT_EQ(x[i].second.getNegExpo(), std::max(-e.getSimplifiedExpo(), 0.0));
    }
}

TEST_F(NoScalingUnitReductionMapTest, AChangeOfDatabasesRefillsOnTheNextRequest) {
    EXPECT_TRUE(map.isInitialized());
    universe.add(
        u"shop",
        {{}, {{u"sevenm", u"m", u"length", {u"7", ConversionFactorType::Double}}}, u"shop"});
    EXPECT_FALSE(map.isInitialized());
    map.initializeIfNeeded(set);
    EXPECT_TRUE(map.isInitialized());
    EXPECT_EQ(matching(u"m", u"sevenm"), Symbols{u"sevenm"});
    map.clear();
    EXPECT_FALSE(map.isInitialized());
    EXPECT_TRUE(matching(u"m", u"sevenm").empty());
}

TEST_F(NoScalingUnitReductionMapTest, InsertAddsTheUnitUnderItsSymbol) {
    map.clear();
    map.insert(set.getUnit(u"ft"), set);
    EXPECT_EQ(matching(u"ft", u"ft"), Symbols{u"ft"});
    map.insert(NoScalingUnitReductionMap::UnitSet{set.getUnit(u"ft")}, set);
    EXPECT_EQ(matching(u"ft", u"ft"), Symbols{u"ft"});
    EXPECT_TRUE(matching(u"m", u"m").empty());
}

} // namespace
