#include "ModelFixtures.hpp"
#include "units/model/CompositeUnit.hpp"
#include "units/model/UnitAlias.hpp"
#include "units/model/UnitPrefixAlias.hpp"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

using namespace model_test;

namespace {

struct AliasCase {
    ustring name, symbol, ascii, display;
    ustring expectName, expectSymbol, expectAscii, expectDisplay;
    bool nameMatches, symbolMatches, asciiMatches;
};

const AliasCase aliasCases[] = {
    {u"", u"", u"", u"", u"Metre", u"m", u"m", u"m-disp", true, true, true},
    {u"Metre", u"m", u"m", u"d", u"Metre", u"m", u"m", u"d", true, true, true},
    {u"meter", u"", u"", u"", u"meter", u"m", u"m", u"m-disp", false, true, true},
    {u"", u"mtr", u"", u"", u"Metre", u"mtr", u"m", u"m-disp", true, false, true},
    {u"", u"", u"M", u"", u"Metre", u"m", u"M", u"m-disp", true, true, false},
};

// Aliases of units and of prefixes share the rule, so one table checks both.
template <typename Alias> void expectFallBacks(const Alias& alias, const AliasCase& c) {
    using Texts = std::vector<std::u16string_view>;
    EXPECT_EQ(
        (Texts{alias.getName(), alias.getSymbol(), alias.getAsciiSymbol(), alias.getDisplay()}),
        (Texts{c.expectName, c.expectSymbol, c.expectAscii, c.expectDisplay}));
    EXPECT_EQ(alias.nameMatchesRef(), c.nameMatches);
    EXPECT_EQ(alias.symbolMatchesRef(), c.symbolMatches);
    EXPECT_EQ(alias.asciiSymbolMatchesRef(), c.asciiMatches);
}

TEST(UnitAlias, EmptyTextsFallBackAndMatchFlagsUseTheGivenText) {
    const PhysicalQuantity length(1, u"length", u"Length", u"", u"L", u"L");
    auto metre =
        makeUnit({u"m", u"Metre", u"m", doubleFactor(u"1"), u"m", u"cm", u"m-disp", 5}, length);
    metre->setIsCommonSubUnit(true);
    const UnitPrefix prefix(u"Metre", u"m", u"m", u"m-disp", doubleFactor(u"1e-6"));
    for (const auto& c : aliasCases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        expectFallBacks(UnitAlias(c.name, c.symbol, c.ascii, c.display, *metre, {}), c);
        expectFallBacks(UnitPrefixAlias(c.name, c.symbol, c.ascii, c.display, prefix, {}), c);
    }
    const UnitAlias alias(u"meter", u"", u"", u"", *metre, {});
    EXPECT_EQ(alias.getId(), 0);
    EXPECT_EQ(&alias.getRefUnit(), metre.get());
    EXPECT_EQ(alias.getPhysicalQuantity(), &length);
    EXPECT_EQ(alias.getSubUnit(), u"cm");
    EXPECT_TRUE(alias.isCommonSubUnit());
}

TEST(UnitAlias, ForwardsPrefixQuestionsAndIgnoresSetters) {
    const auto kilo = makePrefix(u"kilo", u"k");
    auto metre = makeUnit({u"m", u"Metre", u"m"});
    metre->addPrefix(*kilo);
    const CompositeUnit km(*kilo, *metre);
    UnitAlias alias(u"", u"", u"", u"", *metre, {});
    alias.setSubUnit(u"x");
    alias.setIsCommonSubUnit(true);
    EXPECT_TRUE(alias.hasPrefix(*kilo));
    EXPECT_EQ(&alias.getUnitPrefixes(), &metre->getUnitPrefixes());
    EXPECT_EQ(alias.getSubUnit(), u"");
    EXPECT_FALSE(alias.isCommonSubUnit());

    const UnitAlias ofComposite(u"kilometre", u"", u"", u"", km, {});
    EXPECT_TRUE(ofComposite.isPrefixedUnit());
    EXPECT_FALSE(ofComposite.isPrefixOnly());
}

TEST(UnitPrefixAlias, FactorIsTheRefs) {
    const auto micro = makePrefix(u"micro", u"\u00b5", u"1e-6");
    const UnitPrefixAlias u(u"", u"u", u"u", u"", *micro, {});
    EXPECT_EQ(u.getConversionFactor(), micro->getConversionFactor());
    EXPECT_TRUE(u.clone()->isAliased());
}

TEST(CompositeUnit, ConcatenatesTextsAndComposesTheFactorText) {
    const PhysicalQuantity length(1, u"length", u"Length", u"", u"L", u"L");
    const UnitPrefix kilo(u"kilo", u"k", u"k", u"k-", {u"1000", ConversionFactorType::Double});
    auto metre = makeUnit(
        {u"m", u"metre", u"m", {u"1,3", ConversionFactorType::Rational}, u"m*1", u"cm", u"-m"},
        length);
    const CompositeUnit km(kilo, *metre);
    using Texts = std::vector<std::u16string_view>;
    EXPECT_EQ((Texts{km.getName(), km.getSymbol(), km.getAsciiSymbol(), km.getDisplay(),
                     km.getExpression(), km.getSubUnit(), km.getConversionFactor().first}),
              (Texts{u"kilometre", u"km", u"km", u"k--m", u"m*1", u"cm", u"1,2|1000*1,3"}));
    EXPECT_EQ(km.getConversionFactor().second, ConversionFactorType::Composite);
    EXPECT_EQ(km.getId(), -10);
    EXPECT_EQ(km.getPhysicalQuantity(), &length);
    EXPECT_TRUE(km.getUnitPrefixes().empty());
    EXPECT_FALSE(km.hasPrefix(kilo));
}

TEST(CompositeUnit, OnTheDummyUnitItIsThePrefixAlone) {
    FakeLookups lookups;
    const auto si = lookups.addBuiltInSystem(u"SI");
    auto kilo = std::make_unique<UnitPrefix>(u"kilo", u"k", u"k", u"k", doubleFactor(u"1000"));
    kilo->addOwnerUnitSystem(u"SI");
    auto metre = makeUnit({u"m", u"metre", u"m"});
    const auto imperial = lookups.addManagerSystem(u"Imperial");
    metre->addOwnerUnitSystem(u"Imperial");

    const CompositeUnit alone(*kilo, UnitFactory::getDummyUnit());
    EXPECT_TRUE(alone.isPrefixOnly());
    EXPECT_EQ(alone.getName(), u"kilo");
    ASSERT_EQ(alone.getUnitSystems().size(), 1u);
    EXPECT_EQ(alone.getUnitSystems()[0], si);

    const CompositeUnit km(*kilo, *metre);
    ASSERT_EQ(km.getUnitSystems().size(), 1u);
    EXPECT_EQ(km.getUnitSystems()[0], imperial);
}

struct InheritCase {
    ustring name;
    bool defaultQuantity;
    bool inherit;
    bool pqOnly;
};

TEST(Unit, InheritAndQuantityOnly) {
    const PhysicalQuantity length(1, u"length", u"Length", u"", u"L", u"L");
    const InheritCase cases[] = {
        {u"inherit", true, true, false}, {u"inherit", false, true, true},
        {u"", true, false, false},       {u"", false, true, true},
        {u"metre", false, false, false}, {u"Inherit", false, false, false},
    };
    for (const auto& c : cases) {
        const auto unit =
            makeUnit({u"", c.name, u""},
                     c.defaultQuantity
                         ? static_cast<const UnitBase&>(UnitFactory::getDefaultPhysicalQuantity())
                         : length);
        const auto label = std::string(c.name.begin(), c.name.end()) +
                           (c.defaultQuantity ? "/default" : "/length");
        EXPECT_EQ(unit->isInherit(), c.inherit) << label;
        EXPECT_EQ(unit->isPQOnly(), c.pqOnly) << label;
    }
}

TEST(Unit, SystemsAndPrefixesResolvedThroughTheLookups) {
    FakeLookups lookups;
    const auto si = lookups.addManagerSystem(u"SI");
    lookups.prefixes.push_back(makePrefix(u"kilo", u"k"));
    lookups.prefixes.push_back(makePrefix(u"kilo", u"K", u"1024"));

    auto unit = makeUnit({u"m", u"metre", u"m"});
    for (const ustring name : {u"SI", u"unknown", u"SI"}) {
        unit->addOwnerUnitSystem(name);
    }
    ASSERT_EQ(unit->getUnitSystems().size(), 2u);
    EXPECT_EQ(unit->getUnitSystems()[0], si);
    unit->addAvailablePrefix(u"nothing");
    EXPECT_TRUE(unit->getUnitPrefixes().empty());
    unit->addAvailablePrefix(u"kilo");
    ASSERT_EQ(unit->getUnitPrefixes().size(), 1u);
    EXPECT_EQ(&unit->getUnitPrefixes().begin()->get(), lookups.prefixes[1].get());
}

TEST(Unit, WithoutInstalledLookupsNamesAreIgnored) {
    UnitModelLookup::Hooks previous = UnitModelLookup::install({});
    auto unit = makeUnit({u"m", u"metre", u"m"});
    unit->addOwnerUnitSystem(u"SI");
    unit->addAvailablePrefix(u"kilo");
    EXPECT_TRUE(unit->getUnitSystems().empty());
    EXPECT_TRUE(unit->getUnitPrefixes().empty());
    EXPECT_FALSE(UnitSystem::isValidUnitSystemName(u"SI"));
    UnitModelLookup::install(std::move(previous));
}

struct CompatCase {
    std::vector<ustring> own;
    std::vector<ustring> given;
    bool expected;
};

TEST(Unit, CompatibilityWithUnitSystems) {
    FakeLookups lookups;
    lookups.addManagerSystem(u"SI");
    lookups.addManagerSystem(u"US");
    const CompatCase cases[] = {
        {{}, {}, true},
        {{}, {u"US"}, true},
        {{u"SI"}, {}, false},
        {{u"SI"}, {u"US"}, false},
        {{u"SI", u"US"}, {u"XX", u"US"}, true},
        {{u"SI"}, {u"si"}, false},
    };
    for (const auto& c : cases) {
        auto unit = makeUnit({u"m", u"metre", u"m"});
        for (const auto& n : c.own) {
            unit->addOwnerUnitSystem(n);
        }
        std::vector<std::shared_ptr<UnitSystem>> given{nullptr};
        for (const auto& n : c.given) {
            given.push_back(std::make_shared<UnitSystem>(n));
        }
        if (c.given.empty()) {
            given.clear();
        }
        EXPECT_EQ(unit->isUnitCompatibleWithUnitSystems(given), c.expected);
    }
    EXPECT_TRUE(UnitFactory::getDefaultPhysicalQuantity().isUnitCompatibleWithUnitSystems({}));
}

TEST(UnitFactory, CreatesEntitiesInOneStep) {
    FakeLookups lookups;
    lookups.addManagerSystem(u"SI");
    lookups.addBuiltInSystem(u"SI");
    const UnitFactory factory;
    const auto pq = factory.createPhysicalQuantity(3, u"length", u"Length", u"len", u"L", u"L");
    const auto kilo =
        factory.createUnitPrefix(u"kilo", u"k", u"k", u"", doubleFactor(u"1000"), {u"SI", u"none"});
    EXPECT_EQ(kilo->getUnitSystems().size(), 1u);
    const auto unit = factory.createUnit(7, u"metre", u"m", u"m", u"m", u"m", doubleFactor(u"1"),
                                         u"cm", {u"SI"}, {*kilo}, true, *pq);
    EXPECT_EQ(unit->getSubUnit(), u"cm");
    EXPECT_TRUE(unit->isCommonSubUnit());
    EXPECT_TRUE(unit->hasPrefix(*kilo));
    EXPECT_EQ(unit->getUnitSystems().size(), 1u);
    EXPECT_EQ(unit->getPhysicalQuantity(), pq.get());
    // A copy shares what it copied until one of the two changes it.
    const auto copy = unit->clone();
    auto& copied = static_cast<Unit&>(*copy);
    copied.setSubUnit(u"mm");
    copied.addOwnerUnitSystem(u"SI");
    EXPECT_EQ(unit->getSubUnit(), u"cm");
    EXPECT_EQ(unit->getUnitSystems().size(), 1u);
    EXPECT_EQ(copied.getUnitSystems().size(), 2u);
    EXPECT_TRUE(copied.hasPrefix(*kilo));
    EXPECT_EQ(factory.createPhysicalQuantity(u"Length/Time")->getExpression(), u"Length/Time");

    const auto alias = factory.createUnitAlias(u"meter", u"", u"", u"", *unit, {u"SI"});
    EXPECT_EQ(alias->getUnitSystems().size(), 1u);
    const auto prefixAlias = factory.createUnitPrefixAlias(u"Kilo", u"", u"", u"", *kilo, {});
    EXPECT_EQ(&prefixAlias->getRefUnitPrefix(), kilo.get());
}

TEST(UnitFactory, TheDummyQuantityNamesPrefixesAndTheDefaultsBelongTogether) {
    EXPECT_EQ(UnitFactory::getDummyPhysicalQuantity().getName(), u"prefix");
    EXPECT_EQ(UnitFactory::getDefaultUnit().getPhysicalQuantity(),
              &UnitFactory::getDefaultPhysicalQuantity());
}

TEST(UnitBase, CloneKeepsTheKindAndPrintShowsTheExpression) {
    const auto kilo = makePrefix(u"kilo", u"k");
    const auto metre = makeUnit({u"m", u"metre", u"m", doubleFactor(u"1"), u"m"});
    const CompositeUnit km(*kilo, *metre);
    const UnitAlias alias(u"meter", u"", u"", u"", *metre, {});
    for (const UnitBase* e :
         {static_cast<const UnitBase*>(metre.get()), static_cast<const UnitBase*>(&km),
          static_cast<const UnitBase*>(&alias)}) {
        const auto copy = e->clone();
        EXPECT_EQ(copy->compare(*e), 0);
        EXPECT_EQ(copy->isAliased(), e->isAliased());
        EXPECT_EQ(copy->isPrefixedUnit(), e->isPrefixedUnit());
    }
    std::basic_ostringstream<char16_t> out;
    out << *metre;
    EXPECT_EQ(out.str(), u"Unit : 'm'\n");
}

} // namespace
