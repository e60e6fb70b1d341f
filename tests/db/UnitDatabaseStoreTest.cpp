#include "db/DbFixtures.hpp"
#include "units/model/UnitAlias.hpp"

#include <gtest/gtest.h>

namespace db_test {
namespace {

TEST(UnitDatabaseStore, DuplicateIsStoredOnceAndWarnedOnce) {
    auto db = emptyDatabase();
    auto metre = makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"});
    WarningCollector warnings;
    const UnitBase& first = db->addUnit(*metre);
    const UnitBase& second = db->addUnit(*metre);
    EXPECT_EQ(&first, &second);
    EXPECT_NE(&first, metre.get());
    EXPECT_EQ(db->getNumUnits(), 1U);
    EXPECT_EQ(warningIds(warnings), std::vector<std::string>{"UnitAlreadyInDatabase"});
}

TEST(UnitDatabaseStore, KeyClashingWithAnotherEntityThrows) {
    struct Case {
        const char* what;
        UnitSpec second;
    };
    const Case cases[] = {
        {"symbol is another's ASCII symbol", {.symbol = u"um", .name = u"b", .ascii = u"b"}},
        {"ASCII symbol is another's symbol", {.symbol = u"x", .name = u"c", .ascii = u"\u00b5m"}},
        {"same name", {.symbol = u"y", .name = u"micrometre", .ascii = u"y"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto db = emptyDatabase();
        db->addUnit(*makeUnit({.symbol = u"\u00b5m", .name = u"micrometre", .ascii = u"um"}));
        auto clashing = makeUnit(c.second);
        EXPECT_EQ(thrownId([&] { db->addUnit(*clashing); }),
                  "CorvaneTypes:Unit:SimilarInstanceThere");
        // The lookups still answer with the first unit only.
        EXPECT_EQ(symbolsOf(db->getUnit(u"micrometre")), std::vector<std::u16string>{u"\u00b5m"});
    }
}

TEST(UnitDatabaseStore, MissingKeysAreWarnedAndNotIndexed) {
    auto db = emptyDatabase();
    WarningCollector warnings;
    db->addUnit(*makeUnit({.symbol = u"q", .name = u"", .ascii = u""}));
    EXPECT_EQ(warningIds(warnings),
              (std::vector<std::string>{"NameNotDefined", "ASCIISymbolNotDefined"}));
    EXPECT_TRUE(db->getUnit(u"").empty());
    EXPECT_EQ(symbolsOf(db->getUnit(u"q")), std::vector<std::u16string>{u"q"});
}

TEST(UnitDatabaseStore, AliasIsFoundByItsOwnKeysOnly) {
    auto db = emptyDatabase();
    const auto& litre = static_cast<const Unit&>(
        db->addUnit(*makeUnit({.symbol = u"l", .name = u"litre", .ascii = u"l"})));
    WarningCollector warnings;
    const UnitBase& alias =
        db->addUnit(*UnitFactory().createUnitAlias(u"", u"L", u"L", u"", litre, {}));
    EXPECT_TRUE(warnings.warnings().empty());
    // An alias repeating every text of its unit adds no key.
    db->addUnit(*UnitFactory().createUnitAlias(u"", u"", u"", u"", litre, {}));
    EXPECT_EQ(symbolsOf(db->getUnit(u"L")), std::vector<std::u16string>{u"L"});
    ASSERT_EQ(db->getUnit(u"litre").size(), 1U);
    EXPECT_EQ(&db->getUnit(u"litre").begin()->get(), &litre);

    // Removing the alias leaves the keys of its unit alone.
    db->removeUnit(alias);
    EXPECT_TRUE(db->getUnit(u"L").empty());
    EXPECT_EQ(db->getUnit(u"litre").size(), 1U);
}

TEST(UnitDatabaseStore, PhysicalQuantitiesHaveTheirOwnStore) {
    auto db = emptyDatabase();
    auto length = UnitFactory().createPhysicalQuantity(1, u"length", u"length", u"", u"L", u"L");
    db->addUnit(*length);
    // Same symbol as the quantity: the stores do not share keys.
    db->addUnit(*makeUnit({.symbol = u"L", .name = u"litre", .ascii = u"L"}));
    EXPECT_EQ(db->getNumPhysicalQuantities(), 1U);
    EXPECT_EQ(db->getNumUnits(), 1U);
    EXPECT_EQ(db->getPhysicalQuantity(u"L").size(), 1U);
    EXPECT_EQ(db->getPhysicalQuantity(u"length").size(), 1U);
    EXPECT_TRUE(db->hasUnit(*length));
    EXPECT_TRUE(db->getUnit(u"length").empty());
}

TEST(UnitDatabaseStore, SecondUnitSystemOfANameStaysOutOfTheMap) {
    auto db = emptyDatabase();
    db->addUnitSystem(UnitSystem(u"SI"));
    db->addUnitSystem(UnitSystem(u"SI"));
    EXPECT_EQ(db->getNumUnitSystems(), 2U);
    EXPECT_EQ(db->getUnitSystem(u"SI"), db->getAllUnitSystems().front());
    EXPECT_EQ(db->getUnitSystem(u"US"), nullptr);
}

TEST(UnitDatabaseStore, ShortNameDropsFoldersAndEveryExtension) {
    auto db = UnitDatabase::createNewDatabase(u"dir/sub/a.b.c", DatabaseSource::UserFile);
    EXPECT_EQ(db->calDBFileShortName(), u"a");
}

TEST(UnitDatabaseStore, ClearAllEmptiesAndAllowsReload) {
    int loads = 0;
    auto previous = UnitDatabase::setFileLoader([&loads](UnitDatabase& db) {
        ++loads;
        db.addUnit(*makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"}));
        db.addUnitPrefix(*makePrefix(u"kilo", u"k"));
        db.addUnitSystem(UnitSystem(u"SI"));
    });
    auto db = emptyDatabase();
    db->loadIfNeeded();
    db->loadIfNeeded();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(db->getNumUnits(), 1U);

    db->clearAll();
    EXPECT_EQ(db->getNumUnits() + db->getNumPrefixes() + db->getNumUnitSystems(), 0U);
    EXPECT_TRUE(db->getUnit(u"m").empty());
    EXPECT_TRUE(db->getUnitPrefix(u"k").empty());

    db->loadIfNeeded();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(db->getUnit(u"m").size(), 1U);
    UnitDatabase::setFileLoader(std::move(previous));
}

} // namespace
} // namespace db_test
