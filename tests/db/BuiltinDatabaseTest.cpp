#include "db/DbFixtures.hpp"
#include "db/PackageFixtures.hpp"

#include <gtest/gtest.h>
#include <map>

namespace db_test {
namespace {

// A fresh copy of the built-in database, loaded while warnings are collected.
class BuiltinDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        UnitDatabase::getUnitDatabase();
        WarningCollector collector;
        database =
            UnitDatabase::createNewDatabase(UnitDatabase::builtinPath(), DatabaseSource::Builtin)
                .release();
        database->loadIfNeeded();
        warnings = new std::vector<std::string>(
            renderWarnings(collector, TextServices::toUtf8(UnitDatabase::builtinPath())));
    }
    static void TearDownTestSuite() {
        delete database;
        delete warnings;
    }

    static UnitDatabase* database;
    static std::vector<std::string>* warnings;
};

UnitDatabase* BuiltinDatabaseTest::database = nullptr;
std::vector<std::string>* BuiltinDatabaseTest::warnings = nullptr;

TEST_F(BuiltinDatabaseTest, LoadsEveryRowWithoutAWarning) {
    EXPECT_EQ(*warnings, std::vector<std::string>{});
    EXPECT_GE(database->getNumUnits(), 600U);
    EXPECT_GE(database->getNumPhysicalQuantities(), 300U);
    EXPECT_GE(database->getNumPrefixes(), 24U + 8U);
    EXPECT_NE(database->getDatabaseVersionString(), u"1.0") << "the file names its version";
}

// Every name and symbol a user can type, with or without a prefix, names one
// entity: a second one would make the text ambiguous.
TEST_F(BuiltinDatabaseTest, NoTwoEntriesShareAText) {
    std::map<std::string, std::size_t> ambiguous;
    const auto check = [&](std::u16string_view text) {
        if (!text.empty()) {
            if (const std::size_t n = database->getUnit(ustring(text)).size(); n != 1) {
                ambiguous.emplace(TextServices::toUtf8(text), n);
            }
        }
    };
    for (const UnitBase& unit : database->getAllPossibleUnitsInDatabase()) {
        check(unit.getSymbol());
        check(unit.getAsciiSymbol());
        check(unit.getName());
    }
    EXPECT_EQ(ambiguous, (std::map<std::string, std::size_t>{}));
}

} // namespace
} // namespace db_test
