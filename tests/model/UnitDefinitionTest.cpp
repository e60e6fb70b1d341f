#include "units/model/UnitDefinition.hpp"

#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/model/FundamentalUnits.hpp"

#include <gtest/gtest.h>

using namespace CvUnitSys;

namespace {

const UnitBase& fundamental(const ustring& symbol) {
    const UnitBase* unit = FundamentalUnits::get().findUnit(symbol);
    EXPECT_NE(unit, nullptr);
    return *unit;
}

UnitAST ast(std::initializer_list<std::pair<ustring, double>> entries) {
    UnitAST out;
    for (const auto& [symbol, e] : entries) {
        out.addToAST(fundamental(symbol), Exponent(e));
    }
    return out;
}

UnitDefinition definition(const UnitAST& fundamentalAST, const ConversionFactor& own,
                          const ConversionFactor& toFundamental) {
    return UnitDefinition(fundamentalAST, fundamentalAST, own, toFundamental, true);
}

TEST(UnitDefinition, EquivalenceNamesTheDifference) {
    const auto speed = ast({{u"m", 1}, {u"s", -1}});
    const auto one = ConversionFactor::unity;
    const auto kmh = ConversionFactorFactory::createConversionFactor(5, 18, 0);
    const auto degC = ConversionFactorFactory::createConversionFactor(1, 1, 0, 27315, 100, 0);
    const auto degF = ConversionFactorFactory::createConversionFactor(5, 9, 0, 45967, 180, 0);
    const auto degRe = ConversionFactorFactory::createConversionFactor(5, 4, 0, 27315, 100, 0);
    const auto kelvin = ast({{u"K", 1}});
    struct Case {
        UnitDefinition a;
        UnitDefinition b;
        UnitComparison expected;
    };
    const Case cases[] = {
        {definition(speed, one, one), definition(speed, one, one), Equivalent},
        {definition(speed, kmh, kmh), definition(ast({{u"m", 1}}), kmh, kmh),
         DimensionallyInequivalent},
        {definition(speed, one, one), definition(speed, kmh, kmh),
         CanonicalScalingFactorDifference},
        {definition(kelvin, degC, degC), definition(kelvin, degRe, degRe),
         CanonicalScalingFactorDifference},
        {definition(kelvin, degC, degC), definition(kelvin, degF, degF), DifferentOffsets},
        {definition(kelvin, one, one), definition(kelvin, degC, degC), DifferentOffsets},
        {definition(kelvin, UnitDefinition::defaultFactor(), one), definition(kelvin, degF, degF),
         DifferentOffsets},
        {definition(ast({{u"m", 1}, {u"s", 0}}), one, one), definition(ast({{u"m", 1}}), one, one),
         Equivalent},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnitDefinition::equivalent(c.a, c.b, UseSimplifiedExpo), c.expected);
    }
    const UnitDefinition d = definition(speed, kmh, kmh);
    EXPECT_EQ(UnitDefinition::equivalent(d, d, UsePosNegExpo), Equivalent);
    // The default factor is not stored, an exact 1 is: each reads back as given.
    for (const ConversionFactor& own : {UnitDefinition::defaultFactor(), one, degC}) {
        const UnitDefinition copy = definition(speed, own, one);
        EXPECT_TRUE(copy.getConversionFactor().isIdentical(own));
    }
    EXPECT_FALSE(UnitDefinition::areConvertible(definition(ast({{u"m", 1}, {u"s", 0}}), one, one),
                                                definition(ast({{u"m", 1}}), one, one),
                                                UsePosNegExpo));
}

TEST(UnitDefinition, ConversionFactorIsTheRatioOfFundamentalFactors) {
    const auto kelvin = ast({{u"K", 1}});
    const auto degC =
        definition(kelvin, ConversionFactorFactory::createConversionFactor(1, 1, 0, 27315, 100, 0),
                   ConversionFactorFactory::createConversionFactor(1, 1, 0, 27315, 100, 0));
    const auto degF =
        definition(kelvin, ConversionFactorFactory::createConversionFactor(5, 9, 0, 45967, 180, 0),
                   ConversionFactorFactory::createConversionFactor(5, 9, 0, 45967, 180, 0));
    const ConversionFactor cToF =
        UnitDefinition::calculateConversionFactor(std::nullopt, degC, degF, nullptr);
    EXPECT_EQ(cToF.toDouble(), 1.8);
    EXPECT_EQ(cToF.getOffset(), 32.0);

    const auto ft = definition(ast({{u"m", 1}}), ConversionFactor::unity,
                               ConversionFactorFactory::createConversionFactor(3048, 1, -4));
    const auto m = definition(ast({{u"m", 1}}), ConversionFactor::unity, ConversionFactor::unity);
    EXPECT_EQ(UnitDefinition::calculateConversionFactor(std::nullopt, ft, m, nullptr).toDouble(),
              0.3048);
    const ConversionFactor reciprocal = ConversionFactorFactory::createConversionFactor(
        u"1", ConversionFactorType::DoubleReciprocal);
    const ConversionFactor viaRelation =
        UnitDefinition::calculateConversionFactor(reciprocal, ft, m, nullptr);
    EXPECT_TRUE(viaRelation.isReciprocal());
}

TEST(FundamentalUnits, DefinitionsAreKeyedBySymbolAsciiSymbolAndName) {
    const auto& f = FundamentalUnits::get();
    EXPECT_EQ(f.getUnitDefinitions().size(), 19u);
    EXPECT_EQ(f.getPhysicalQuantityDefinitions().size(), 19u);
    for (const char16_t* key : {u"kg", u"Kilogram", u"\u0394K", u"deltaK", u"b", u"bit"}) {
        ASSERT_EQ(f.getUnitDefinitions().count(key), 1u) << "unit key";
        const UnitDefinition& d = f.getUnitDefinitions().at(key);
        EXPECT_FALSE(d.isGenerated());
        EXPECT_EQ(d.getFundamentalConversionFactor(), ConversionFactor::unity);
        ASSERT_EQ(d.getFundamentalAST().getAST().size(), 1u);
        EXPECT_EQ(&d.getFundamentalAST().getAST().begin()->first.get(), f.findUnit(key));
    }
    for (const char16_t* key : {u"M", u"mass", u"DTemp", u"\u0398", u"memory"}) {
        EXPECT_EQ(f.getPhysicalQuantityDefinitions().count(key), 1u) << "quantity key";
    }
    EXPECT_EQ(f.getPhysicalQuantityDefinitions().count(u"Length"), 0u);
    const auto& metre = f.getUnitDefinitions().at(u"m");
    EXPECT_EQ(
        UnitDefinition::equivalent(metre, f.getUnitDefinitions().at(u"Metre"), UseSimplifiedExpo),
        Equivalent);
}

} // namespace
