#include "db/DbSetFixtures.hpp"
#include "units/query/UnitTable.hpp"

#include <gtest/gtest.h>

namespace {

using namespace dbset_test;

const UnitDatabase& builtin() {
    return *UnitDatabase::getBuiltinDatabase();
}

TEST(SharedDefinitions, BuiltinDefinitionsServeEverySetAndTextsNeverAddToThem) {
    const Universe universe;
    UnitDBSet first;
    first.initializeIfNeeded();
    const UnitBase& km = first.getUnit(u"km");
    first.genUnitDefinition(km);
    UnitDBSet second;
    second.initializeIfNeeded();
    EXPECT_EQ(&second.getUnitDefinition(km), &first.getUnitDefinition(km));

    // Only the database's entities have shared definitions, never a text's unit.
    UnitTable table;
    table.registerUnit(u"km/s", true, false);
    const std::size_t shared = builtin().getNumSharedDefinitions();
    for (int power = 2; power < 1000; ++power) {
        const std::string text = "km^" + std::to_string(power) + "/s";
        table.registerUnit(ustring(text.begin(), text.end()), true, false);
    }
    EXPECT_EQ(builtin().getNumSharedDefinitions(), shared);

    // A table that kept the parts' shared definitions drops them with the database.
    UnitDatabase& db = *UnitDatabase::getBuiltinDatabase();
    const std::uint64_t generation = db.getSharedDefinitionsGeneration();
    db.removeUnit(db.addUnit(*UnitFactory().createUnit(
        -10, u"shared_test_drop", u"m", u"shared_test_drop", u"shared_test_drop",
        u"shared_test_drop", defaultStoredConversionFactor(), {}, {}, {}, false,
        UnitFactory::getDefaultPhysicalQuantity())));
    EXPECT_NE(db.getSharedDefinitionsGeneration(), generation);
    const std::int32_t kmPerHour = table.registerUnit(u"km/h", true, false);
    const std::int32_t metrePerSecond = table.registerUnit(u"m/s", true, false);
    EXPECT_DOUBLE_EQ(table.getConversionInfo(kmPerHour, metrePerSecond).getScalingFactor(),
                     1 / 3.6);
}

TEST(SharedDefinitions, OnlySetsThatSeeNoUserDatabaseAddToThem) {
    UnitDatabase& db = *UnitDatabase::getBuiltinDatabase();
    const auto row = UnitFactory().createUnit(
        -10, u"shared_test_unit", u"km/s", u"shared_test_unit", u"shared_test_unit",
        u"shared_test_unit", defaultStoredConversionFactor(), {}, {}, {}, false,
        UnitFactory::getDefaultPhysicalQuantity());
    const UnitBase& unit = db.addUnit(*row);
    {
        Universe universe;
        universe.add(u"a", {{}, {{u"xyz", u"m"}}, u"sa"});
        UnitDBSet withUserDatabase;
        withUserDatabase.initializeIfNeeded();
        withUserDatabase.genUnitDefinition(unit);
        EXPECT_EQ(db.findSharedDefinition(unit), nullptr);
    }
    UnitDBSet builtinOnly;
    builtinOnly.initializeIfNeeded();
    builtinOnly.genUnitDefinition(unit);
    EXPECT_EQ(db.findSharedDefinition(unit), &builtinOnly.getUnitDefinition(unit));
    db.removeUnit(unit);
}

TEST(SharedDefinitions, OnlyTheDatabasesOwnEntitiesAreSharedUntilItChanges) {
    auto db = UnitDatabase::createNewDatabase(u"shared.db", DatabaseSource::UserFile);
    const UnitFactory factory;
    const auto metre =
        factory.createUnit(-10, u"metre", u"m", u"m", u"m", u"m", defaultStoredConversionFactor(),
                           {}, {}, {}, false, UnitFactory::getDefaultPhysicalQuantity());
    const UnitBase& stored = db->addUnit(*metre);
    const UnitDefinition definition({}, {}, ConversionFactor::unity, ConversionFactor::unity, true);
    EXPECT_EQ(db->shareDefinition(*metre, definition), nullptr);
    const UnitDefinition* shared = db->shareDefinition(stored, definition);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(db->findSharedDefinition(stored), shared);
    EXPECT_EQ(db->shareDefinition(stored, definition), shared);

    const auto second =
        factory.createUnit(-10, u"second", u"s", u"s", u"s", u"s", defaultStoredConversionFactor(),
                           {}, {}, {}, false, UnitFactory::getDefaultPhysicalQuantity());
    db->addUnit(*second);
    EXPECT_EQ(db->findSharedDefinition(stored), nullptr);
}

} // namespace
