#include "db/DbFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace db_test;

// From the source folder the build names: __FILE__ is relative when the
// compiler runs through a cache that rewrites paths.
const std::string kExample =
    (std::filesystem::path(CV_UNITS_SOURCE_DIR) / "examples/user-databases/shop_units.xml")
        .lexically_normal()
        .string();
const ustring kName = TextServices::fromUtf8(kExample);

class ExampleDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        UnitDatabase::getUnitDatabase();
        WarningCollector collector;
        registerInternalUnitDatabase(kName, UnitRepositoryReader::makeFileLoader(kExample));
        for (const Diagnostic& d : collector.warnings()) {
            warnings.push_back(formatDiagnostic(d));
        }
        set = UnitDBManager::m_UnitDBManager.createNewUnitDBSet();
        set->initializeIfNeeded();
    }
    void TearDown() override { removeInternalUnitDatabase(kName); }

    std::vector<std::string> warnings;
    std::unique_ptr<UnitDBSet> set;
};

// Loading, validating and checking the example for duplicates raises nothing,
// and every unit stays.
TEST_F(ExampleDatabase, RegistersWithoutAWarning) {
    EXPECT_EQ(warnings, std::vector<std::string>{});
    const UnitDatabase* db = set->getDB(kName);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->getUnitSystemName(), u"shop");
    EXPECT_EQ(db->getNumUnits(), 8U);
    EXPECT_EQ(set->getDefiningDatabaseName(u"fpf"), kName);
    EXPECT_EQ(&set->getUnit(u"shop::fpf"), &set->getUnit(u"fpf"));
}

TEST_F(ExampleDatabase, ConvertsToBuiltinUnits) {
    struct Case {
        ustring from;
        ustring to;
        double scaling;
        double offset;
    };
    const std::vector<Case> cases = {
        {u"fpf", u"kph", 201.168 * 3.6 / 1209600.0, 0.0},
        {u"sack", u"kg", 280 * 0.45359237, 0.0},
        {u"lig", u"mm", 0.635, 0.0},
        {u"bdoz", u"doz", 13.0 / 12.0, 0.0},
        {u"tray", u"doz", 2.0, 0.0},
        {u"loaf_ph", u"Hz", 1.0 / 3600.0, 0.0},
        {u"degRo", u"K", 40.0 / 21.0, 36241.0 / 140.0},
        {u"°Rø", u"degC", 40.0 / 21.0, -100.0 / 7.0},
        {u"degProbe", u"K", 1.02, 273.55},
    };
    for (const Case& c : cases) {
        const UnitBase& from = set->getUnit(c.from);
        const UnitBase& to = set->getUnit(c.to);
        set->genUnitDefinition(from);
        set->genUnitDefinition(to);
        const ConversionFactor f = UnitDefinition::calculateConversionFactor(
            std::nullopt, set->getUnitDefinition(from), set->getUnitDefinition(to), set.get());
        const std::string label = TextServices::toUtf8(c.from + u" -> " + c.to);
        ASSERT_TRUE(f.isWellDefined()) << label;
        EXPECT_NEAR(f(), c.scaling, 1e-12 * c.scaling) << label;
        EXPECT_NEAR(f.getOffset(), c.offset, 1e-9) << label;
    }
}

} // namespace
