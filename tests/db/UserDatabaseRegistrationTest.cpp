#include "db/UserDbFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using namespace userdb_test;
using db_test::symbolsOf;

std::string document(const std::string& name, const std::string& entries) {
    return "<unitDatabase name=\"" + name + "\">\n" + entries + "\n</unitDatabase>\n";
}

// Registers database files with the manager, the way the host does, and takes
// them out again afterwards.
class UserDatabaseRegistration : public ::testing::Test {
protected:
    void SetUp() override { UnitDatabase::getUnitDatabase(); }
    void TearDown() override {
        for (const auto& file : files_) {
            removeInternalUnitDatabase(file->name());
        }
        UnitDBManager::m_UnitDBManager.clearAmbiguousSymbols();
    }

    const DatabaseFile& add(const std::string& text) {
        files_.push_back(std::make_unique<DatabaseFile>(text));
        const DatabaseFile& file = *files_.back();
        registerInternalUnitDatabase(file.name(),
                                     UnitRepositoryReader::makeFileLoader(file.path()));
        return file;
    }

    std::unique_ptr<UnitDBSet> newSet() const {
        auto set = UnitDBManager::m_UnitDBManager.createNewUnitDBSet();
        set->initializeIfNeeded();
        return set;
    }

private:
    std::vector<std::unique_ptr<DatabaseFile>> files_;
};

bool contains(const std::vector<Item>& items, const Item& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// Rings and chains as long as an author makes them are validated in one pass:
// a ring is named at its first unit and the rest refer to a unit gone; a
// chain keeps all its units and converts along its whole length; quantities
// that refer to each other are reported though no unit uses them.
TEST_F(UserDatabaseRegistration, LongRingsAndChainsAndQuantityCycles) {
    constexpr int ring = 5000;
    constexpr int chain = 20000;
    std::string entries = R"(<physicalQuantity name="q_a" definition="q_b"/>
  <physicalQuantity name="q_b" definition="q_a"/>)";
    for (int i = 0; i < ring; ++i) {
        entries += "<unit name=\"ring_u" + std::to_string(i) + "\" symbol=\"ring_u" +
                   std::to_string(i) + "\" definition=\"ring_u" + std::to_string((i + 1) % ring) +
                   "\"/>\n";
    }
    for (int i = 0; i < chain; ++i) {
        const std::string next = i + 1 < chain ? "chain_u" + std::to_string(i + 1) : "m";
        entries += "<unit name=\"chain_u" + std::to_string(i) + "\" symbol=\"chain_u" +
                   std::to_string(i) + "\" definition=\"" + next + "\" factor=\"" +
                   (i % 2 == 0 ? "2" : "0.5") + "\"/>\n";
    }
    WarningCollector warnings;
    const DatabaseFile& file = add(document("long", entries));
    const std::vector<Item> items = itemsOf(warnings);
    EXPECT_EQ(items.front(), (Item{"CycleInAST", u"ring_u0"}));
    EXPECT_EQ(std::count(items.begin(), items.end(),
                         Item{"InvalidUnitIgnoredUndefinedUnitsInDefinition", u"ring_u4999"}),
              1);
    EXPECT_TRUE(contains(items, {"CycleInAST", u"q_a"})) << ::testing::PrintToString(items);
    EXPECT_EQ(items.size(), static_cast<std::size_t>(ring + 1));

    const auto set = newSet();
    EXPECT_EQ(set->getDB(file.name())->getNumUnits(), static_cast<std::size_t>(chain));
    EXPECT_DOUBLE_EQ(
        set->getConversionInfo(set->getUnit(u"chain_u0"), set->getUnit(u"m")).getScalingFactor(),
        1.0);
    EXPECT_DOUBLE_EQ(
        set->getConversionInfo(set->getUnit(u"chain_u1"), set->getUnit(u"m")).getScalingFactor(),
        0.5);
}

// The duplicate warnings and ambiguity records themselves are the set's tests;
// here the systems come from the files' database names.
TEST_F(UserDatabaseRegistration, AmbiguousSymbolsAreQualifiedByTheFilesSystems) {
    WarningCollector warnings;
    const DatabaseFile& a = add(document("a", R"(
  <unit name="xyz_a" symbol="xyz" definition="m" factor="2"/>
  <unit name="shop_metre" symbol="m" definition="ft"/>)"));
    const DatabaseFile& b = add(document("b", R"(<unit name="xyz_b" symbol="xyz" definition="m"
                                                         factor="3"/>)"));
    EXPECT_TRUE(contains(itemsOf(warnings), {"DuplicationOfUnitsWithBuiltin", u"m"}));

    const auto set = newSet();
    EXPECT_EQ(UnitDBManager::m_UnitDBManager.getAmbiguousSymbolsUnitSystems(u"xyz"),
              (std::set<ustring>{u"a", u"b"}));
    EXPECT_EQ(set->getUnit(u"a::xyz").getName(), u"xyz_a");
    EXPECT_EQ(set->getUnit(u"b::xyz").getName(), u"xyz_b");
    EXPECT_EQ(set->getDefiningDatabaseName(u"xyz"), std::min(a.name(), b.name()));
    EXPECT_EQ(set->getDefiningDatabaseName(u"m"), UnitDatabase::builtinPath());
    EXPECT_EQ(set->getDefiningDatabaseName(u"shop_metre"), a.name());
}

// Each reload validates every listed database again, so a unit built on a
// database that leaves the list leaves with it.
TEST_F(UserDatabaseRegistration, RemovingADatabaseTakesTheUnitsBuiltOnIt) {
    const DatabaseFile& base =
        add(document("base", R"(<unit name="base_unit" symbol="base_u" definition="m"/>)"));
    add(document("user", R"(<unit name="user_unit" symbol="user_u" definition="base_u/s"/>
  <unit name="own_unit" symbol="own_u" definition="s"/>)"));
    EXPECT_TRUE(newSet()->hasUnit(u"user_u", UnitFactory::getDefaultPhysicalQuantity()));

    WarningCollector warnings;
    removeInternalUnitDatabase(base.name());
    EXPECT_TRUE(
        contains(itemsOf(warnings), {"InvalidUnitIgnoredUndefinedUnitsInDefinition", u"user_unit"}))
        << ::testing::PrintToString(itemsOf(warnings));
    const auto set = newSet();
    EXPECT_TRUE(set->findUnit(u"user_u").empty());
    EXPECT_FALSE(set->findUnit(u"own_u").empty());
}

TEST_F(UserDatabaseRegistration, AnUnreadableFileCostsOnlyItself) {
    WarningCollector warnings;
    const DatabaseFile& broken = add("<unitDatabase><unit name='a'");
    const DatabaseFile& good =
        add(document("good", R"(<unit name="good_unit" symbol="gu" definition="m"/>)"));
    EXPECT_TRUE(contains(itemsOf(warnings), {"UnitDatabaseFileOpenError", broken.name()}));
    const auto set = newSet();
    EXPECT_EQ(set->getDB(broken.name())->getNumUnits(), 0U);
    EXPECT_EQ(set->getDefiningDatabaseName(u"gu"), good.name());
}

} // namespace
