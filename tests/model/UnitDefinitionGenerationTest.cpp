#include "db/DbSetFixtures.hpp"
#include "units/model/UnitASTPool.hpp"

#include <bit>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using namespace dbset_test;

// A unit that no database defines, as a client registers one.
std::unique_ptr<Unit>
expressionUnit(const ustring& expression,
               const UnitBase& quantity = UnitFactory::getDefaultPhysicalQuantity()) {
    return std::make_unique<Unit>(-10, u"", expression, expression, expression, u"",
                                  defaultStoredConversionFactor(), quantity);
}

class UnitDefinitionGeneration : public ::testing::Test {
protected:
    const UnitDefinition& define(const UnitBase& entity) {
        set.genUnitDefinition(entity);
        return set.getUnitDefinition(entity);
    }
    const UnitDefinition& define(const ustring& symbol) { return define(set.getUnit(symbol)); }
    ConversionFactor factor(const UnitDefinition& from, const UnitDefinition& to) {
        return UnitDefinition::calculateConversionFactor(std::nullopt, from, to, &set);
    }

    Universe universe;
    UnitDBSet set;
    void SetUp() override { set.initializeIfNeeded(); }
};

TEST_F(UnitDefinitionGeneration, FactorsMultiplyExactlyThroughTheExpansion) {
    struct Case {
        ustring from;
        ustring to;
        ConversionFactor expected;
    };
    const Case cases[] = {
        {u"ft", u"m", ConversionFactorFactory::createConversionFactor(381, 1250, 0)},
        {u"m", u"ft", ConversionFactorFactory::createConversionFactor(1250, 381, 0)},
        {u"km", u"m", ConversionFactorFactory::createConversionFactor(1000, 1, 0)},
        {u"h", u"s", ConversionFactorFactory::createConversionFactor(3600, 1, 0)},
        {u"kg", u"g", ConversionFactorFactory::createConversionFactor(1000, 1, 0)},
        {u"N", u"N", ConversionFactor::unity},
    };
    for (const auto& c : cases) {
        const ConversionFactor f = factor(define(c.from), define(c.to));
        EXPECT_EQ(f, c.expected) << f.toUString().size();
        EXPECT_TRUE(f.isWellDefined());
    }
}

TEST_F(UnitDefinitionGeneration, CompoundExpressionsConvertThroughTheirParts) {
    auto kmPerHour = expressionUnit(u"km/h");
    auto metrePerSecond = expressionUnit(u"m/s");
    const ConversionFactor f = factor(define(*kmPerHour), define(*metrePerSecond));
    EXPECT_EQ(f, ConversionFactorFactory::createConversionFactor(5, 18, 0));
}

TEST_F(UnitDefinitionGeneration, AffineUnitAloneKeepsItsOffset) {
    const UnitDefinition& celsius = define(u"degC");
    ASSERT_TRUE(celsius.getFundamentalConversionFactor().isAffine());
    EXPECT_DOUBLE_EQ(celsius.getFundamentalConversionFactor().getOffset(), 273.15);
    EXPECT_TRUE(UnitDefinition::areConvertible(celsius, define(u"K"), UsePosNegExpo));
    EXPECT_TRUE(factor(celsius, define(u"degF")).isWellDefined());
}

TEST_F(UnitDefinitionGeneration, AffineUnitInsideAProductStaysUnexpandedAndApproximate) {
    for (const ustring expression : {u"degC*m", u"degC^2", u"1/degF"}) {
        auto product = expressionUnit(expression);
        const UnitDefinition& d = define(*product);
        EXPECT_FALSE(d.getFundamentalConversionFactor().isWellDefined());
        bool keptAffine = false;
        for (const auto& [entity, exponent] : d.getFundamentalAST().getAST()) {
            keptAffine = keptAffine || entity.get().getAsciiSymbol().starts_with(u"deg");
        }
        EXPECT_TRUE(keptAffine);
    }
    auto celsiusMetre = expressionUnit(u"degC*m");
    auto kelvinMetre = expressionUnit(u"K*m");
    EXPECT_EQ(
        UnitDefinition::equivalent(define(*celsiusMetre), define(*kelvinMetre), UsePosNegExpo),
        DimensionallyInequivalent);
}

TEST_F(UnitDefinitionGeneration, UnitsAreCheckedAgainstTheirQuantities) {
    const UnitBase& velocity = set.getPhysicalQuantity(u"velocity");
    set.genUnitDefinition(velocity);
    const UnitDefinition& velocityDefinition = set.getUnitDefinition(velocity);
    struct Case {
        ustring expression;
        bool valid;
    };
    for (const Case& c : {Case{u"m/s", true}, Case{u"km/h", true}, Case{u"ft/h", true},
                          Case{u"m", false}, Case{u"s/m", false}, Case{u"m/s^2", false}}) {
        auto unit = expressionUnit(c.expression);
        EXPECT_EQ(UnitDefinition::physicalQuantityValidForUnit(define(*unit), velocityDefinition,
                                                               &set, UseSimplifiedExpo),
                  c.valid)
            << c.expression.size();
    }
}

// Parts given with their definitions take shortcuts (a merge by rank, exact
// scales multiplied as they are); on many generated products of database
// units, affine ones and odd exponents among them, the result must be the
// general expansion's, bit for bit.
TEST_F(UnitDefinitionGeneration, GivenPartDefinitionsGiveTheGeneralExpansion) {
    std::vector<const UnitBase*> atoms;
    for (const UnitBase& unit : set.getAllUnits()) {
        try {
            set.definitionOf(unit);
            atoms.push_back(&unit);
        } catch (const IException&) {
        }
    }
    ASSERT_GT(atoms.size(), 100U);
    const Exponent exponents[] = {1, 1, 1, 2, 3, -1, -2, 0.5, 2.0 / 3.0, Exponent(1, 1), 0};
    const auto bits = [](const Exponent& e) {
        return std::pair(std::bit_cast<std::uint64_t>(e.getPosExpo()),
                         std::bit_cast<std::uint64_t>(e.getNegExpo()));
    };
    auto plain = expressionUnit(u"x");
    UnitASTPool pool;
    std::mt19937 random(6);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 3000; ++round) {
        UnitAST parts;
        for (std::size_t n = 1 + pick(4); n > 0; --n) {
            parts.addToAST(*atoms[pick(atoms.size())], exponents[pick(std::size(exponents))]);
        }
        std::vector<const UnitDefinition*> known;
        for (const auto& [part, exponent] : parts.getAST()) {
            known.push_back(&set.definitionOf(part));
        }
        // An entity of its own factor multiplies it in last.
        const UnitBase& entity = round % 4 == 0 ? *atoms[pick(atoms.size())] : *plain;
        const UnitDefinition fast =
            UnitDefinition::generateDefinition(entity, parts, &set, known, &pool);
        const UnitDefinition general = UnitDefinition::generateDefinition(entity, parts, &set);
        const auto& a = fast.getFundamentalAST().getAST();
        const auto& b = general.getFundamentalAST().getAST();
        ASSERT_EQ(a.size(), b.size()) << round;
        for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y) {
            ASSERT_EQ(&x->first.get(), &y->first.get()) << round;
            ASSERT_EQ(bits(x->second), bits(y->second)) << round;
        }
        ASSERT_TRUE(fast.getFundamentalConversionFactor().isIdentical(
            general.getFundamentalConversionFactor()))
            << round;
        ASSERT_TRUE(fast.getConversionFactor().isIdentical(general.getConversionFactor())) << round;
    }
}

TEST_F(UnitDefinitionGeneration, UnknownNamesAndBadExpressionsReachTheCaller) {
    auto unknown = expressionUnit(u"m/zorkmid");
    EXPECT_EQ(thrownKey([&] { set.genUnitDefinition(*unknown); }), "UnitNotInDatabase");
    auto malformed = expressionUnit(u"m/");
    EXPECT_EQ(thrownKey([&] { set.genUnitDefinition(*malformed); }), "ParsingError");
}

} // namespace
