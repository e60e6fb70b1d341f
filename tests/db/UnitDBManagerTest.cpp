#include "db/DbSetFixtures.hpp"

#include <gtest/gtest.h>

namespace {

using namespace dbset_test;

UnitDBManager& manager() {
    return UnitDBManager::m_UnitDBManager;
}

std::vector<ustring> walkOrder() {
    std::vector<ustring> names;
    manager().iterateAll([&](const UnitDatabase& db) {
        names.push_back(db.isBuiltin() ? u"<builtin>" : db.getName());
    });
    return names;
}

Content userContent(const ustring& system, const ustring& symbol) {
    return {{}, {{symbol, u"m", u"length"}}, system};
}

TEST(UnitDBManager, WalksTheBuiltinDatabaseFirstThenTheListByName) {
    Universe universe;
    universe.add(u"b", userContent(u"sb", u"ub"));
    universe.add(u"a", userContent(u"sa", u"ua"));
    universe.add(u"B", userContent(u"sB", u"uB"));
    EXPECT_EQ(walkOrder(), (std::vector<ustring>{u"<builtin>", u"B", u"a", u"b"}));
    EXPECT_EQ(GetNumExternalUnitDBs(), 3U);

    std::vector<ustring> visited;
    manager().iterateUntil([&](const UnitDatabase& db) {
        visited.push_back(db.getName());
        return db.getName() == u"a";
    });
    EXPECT_EQ(visited.size(), 3U);

    removeInternalUnitDatabase(u"B");
    removeInternalUnitDatabase(u"not listed");
    EXPECT_EQ(walkOrder(), (std::vector<ustring>{u"<builtin>", u"a", u"b"}));
}

TEST(UnitDBManager, RegisteringAnExistingNameReplacesTheDatabase) {
    Universe universe;
    universe.add(u"a", userContent(u"sa", u"first"));
    universe.add(u"a", userContent(u"sa", u"second"));
    ASSERT_EQ(GetNumExternalUnitDBs(), 1U);
    const UnitDatabase* db = manager().getDB(u"a");
    ASSERT_NE(db, nullptr);
    EXPECT_TRUE(db->getUnit(u"first").empty());
    EXPECT_FALSE(db->getUnit(u"second").empty());
    EXPECT_EQ(manager().getDB(u"zz"), nullptr);
}

TEST(UnitDBManager, ExternalListKeepsInternalNamesAndTheFirstOfRepeatedNames) {
    Universe universe;
    int calls = 0;
    auto loader = [&calls](int tag) {
        return [&calls, tag] {
            calls += tag;
            return Model();
        };
    };
    manager().registerInternalUnitDatabase(u"shared", loader(1));
    manager().updateAllExternalUnitDatabases(
        {{u"x", loader(10)}, {u"x", loader(100)}, {u"shared", loader(1000)}});
    EXPECT_EQ(manager().getNumExternalUnitDBs(), 2U);
    manager().getDBExtracter(u"x")();
    manager().getDBExtracter(u"shared")();
    EXPECT_EQ(calls, 11);
    EXPECT_FALSE(manager().getDBExtracter(u"unknown"));

    // A new external list drops the previous external entries only.
    manager().updateAllExternalUnitDatabases({{u"y", loader(1)}});
    EXPECT_FALSE(manager().getDBExtracter(u"x"));
    EXPECT_TRUE(manager().getDBExtracter(u"shared"));
    EXPECT_TRUE(manager().getDBExtracter(u"y"));

    auto ready = UnitDatabase::createNewDatabase(u"y", DatabaseSource::UserFile);
    EXPECT_FALSE(manager().addDBToList(ready));
    EXPECT_NE(ready, nullptr);
    auto fresh = UnitDatabase::createNewDatabase(u"z", DatabaseSource::UserFile);
    EXPECT_TRUE(manager().addDBToList(fresh));
    EXPECT_EQ(fresh, nullptr);
    EXPECT_EQ(manager().getNumExternalUnitDBs(), 3U);
    manager().resetUserDBs();
    EXPECT_EQ(manager().getNumExternalUnitDBs(), 0U);
}

TEST(UnitDBManager, EveryListChangeMovesTheVersionOn) {
    Universe universe;
    const std::uint32_t start = manager().getUnitDBSetVersion();
    universe.add(u"a", userContent(u"sa", u"ua"));
    universe.define(u"e", userContent(u"se", u"ue"));
    resetUserDefinedDatabases({{u"e", [] { return Model(); }}});
    removeInternalUnitDatabase(u"a");
    EXPECT_EQ(manager().getUnitDBSetVersion(), start + 3U);
}

TEST(UnitDBManager, UnitSystemsComeFromEveryDatabaseInWalkOrder) {
    Universe universe;
    universe.add(u"b", userContent(u"sysB", u"ub"));
    universe.add(u"a", userContent(u"sysA", u"ua"));
    manager().cacheUnitSystems();
    std::vector<ustring> names;
    for (const auto& system : GetAllUnitSystems()) {
        names.push_back(system->getName());
    }
    const auto& builtinSystems = UnitDatabase::getBuiltinDatabase()->getAllUnitSystems();
    ASSERT_EQ(names.size(), builtinSystems.size() + 2);
    EXPECT_EQ(names.front(), builtinSystems.front()->getName());
    EXPECT_EQ(names[names.size() - 2], u"sysA");
    EXPECT_EQ(names.back(), u"sysB");
    ASSERT_NE(GetUnitSystem(u"sysB"), nullptr);
    EXPECT_EQ(GetUnitSystem(u"nope"), nullptr);
}

TEST(UnitDBManager, PrintsTheBuiltinFileAndEachListedDatabase) {
    Universe universe;
    const ustring head =
        u"\n UnitDBs on Manager:\nBuilt-in file : " + UnitDatabase::builtinPath() + u"\n";
    EXPECT_EQ(manager().toUString(), head);
    universe.add(u"b", userContent(u"sb", u"ub"));
    universe.add(u"a", userContent(u"sa", u"ua"));
    EXPECT_EQ(manager().toUString(), head + u"\ta\n\tb\n");
}

} // namespace
