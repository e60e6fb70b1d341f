#include "db/DbFixtures.hpp"
#include "db/PackageFixtures.hpp"
#include "units/model/CompositeUnit.hpp"
#include "units/model/UnitAlias.hpp"

#include <fstream>
#include <gtest/gtest.h>

namespace db_test {
namespace {

using Lines = std::vector<std::string>;

class SqlDatabaseFileLoaderTest : public ::testing::Test {
protected:
    // Prefixes look their systems up in the built-in database: load it first
    // so that its load stays out of the warnings these tests collect.
    static void SetUpTestSuite() { UnitDatabase::getUnitDatabase(); }

    // Loads `path` into a fresh database and returns the warnings it gave.
    Lines load(const std::string& path) {
        WarningCollector warnings;
        db->loadUnitDatabase(TextServices::fromUtf8(path));
        EXPECT_TRUE(folder.temporaryFolderIsEmpty()) << "the copy of the part was left behind";
        return renderWarnings(warnings, path);
    }

    bool finds(const ustring& text) const { return !db->getUnit(text).empty(); }

    PackageFolder folder;
    std::unique_ptr<UnitDatabase> db = emptyDatabase();
};

TEST_F(SqlDatabaseFileLoaderTest, ReadsEveryTable) {
    EXPECT_EQ(load(folder.writeDatabase("good", kSmallDatabase)), Lines{});

    EXPECT_EQ(db->getDatabaseVersionString(), u"2.5");
    EXPECT_EQ(db->getNumUnitSystems(), 2U);
    EXPECT_EQ(db->getNumPrefixes(), 3U);
    EXPECT_EQ(db->getNumPhysicalQuantities(), 4U);
    EXPECT_EQ(db->getNumUnits(), 5U) << "three units and two aliases";

    // Only URLs that a comma ends are taken, blanks kept.
    const UnitProvenance* si = db->getUnitProvenance(u"SI_Brochure");
    ASSERT_NE(si, nullptr);
    EXPECT_EQ(si->getURLs(), std::vector<ustring>{u" https://a.example "});
    EXPECT_EQ(si->getYear(), 2019);
    EXPECT_EQ(si->getEdition(), u"9th");

    const auto quantities = db->getPhysicalQuantity(u"angular_velocity");
    ASSERT_EQ(quantities.size(), 1U);
    const UnitBase& omega = quantities.begin()->get();
    // A quantity is named by its name in every field, its display escaped.
    EXPECT_EQ((std::vector<std::u16string_view>{omega.getSymbol(), omega.getAsciiSymbol(),
                                                omega.getDisplay(), omega.getExpression()}),
              (std::vector<std::u16string_view>{u"angular_velocity", u"angular_velocity",
                                                u"angular\\_velocity", u"angle/time"}));

    const UnitBase& hertzQuantity = db->getPhysicalQuantity(u"frequency").begin()->get();
    const auto toOmega = db->getSpecialConversionFactor(hertzQuantity, omega);
    ASSERT_TRUE(toOmega);
    EXPECT_DOUBLE_EQ(toOmega->toDouble(), 6.283185307179586);

    // A unit takes the prefixes of its group and its quantity; foot takes none.
    EXPECT_EQ(symbolsOf(db->getUnit(u"km")), std::vector<ustring>{u"km"});
    EXPECT_EQ(symbolsOf(db->getUnit(u"mg")), std::vector<ustring>{u"mg"});
    EXPECT_TRUE(db->getUnit(u"kft").empty());
    const auto& metre = static_cast<const Unit&>(db->getUnit(u"metre").begin()->get());
    EXPECT_EQ(metre.getPhysicalQuantity()->getName(), u"length");
    EXPECT_EQ(metre.getConversionFactor(),
              (StoredConversionFactor{u"1,1,0", ConversionFactorType::ScaledRational}));
    EXPECT_FALSE(metre.isCommonSubUnit());
    // It joins the manager's system of each name of its group.
    ASSERT_EQ(metre.getUnitSystems().size(), 1U);
    EXPECT_EQ(metre.getUnitSystems()[0]->getName(), u"SI");

    // "meter" takes everything but its name from metre; "klick" names the
    // composite that its prefix makes of its unit.
    const auto meter = db->getUnit(u"meter");
    ASSERT_EQ(meter.size(), 1U);
    EXPECT_TRUE(meter.begin()->get().isAliased());
    EXPECT_EQ(meter.begin()->get().getSymbol(), u"m");
    const auto klick = db->getUnit(u"klick");
    ASSERT_EQ(klick.size(), 1U);
    const auto& ref = dynamic_cast<const UnitAlias&>(klick.begin()->get()).getRefUnit();
    ASSERT_TRUE(ref.isPrefixedUnit());
    EXPECT_EQ(static_cast<const CompositeUnit&>(ref).getPrefix().getName(), u"kilo");
    EXPECT_EQ(ref.getSymbol(), u"km");

    // The prefix alias works in place of its prefix.
    EXPECT_EQ(db->getUnitPrefix(u"K").size(), 1U);

    EXPECT_EQ(db->getProvenancesForUnit(u"m").size(), 1U);
    EXPECT_TRUE(db->getProvenancesForUnit(u"ft").empty());
    EXPECT_EQ(db->getProvenancesForPhysicalQuantity(u"mass").size(), 1U);
    EXPECT_EQ(db->getPhysicalQuantityFromUnit(u"1/s"), std::vector<ustring>{u"frequency"});
    EXPECT_EQ(db->getUnitFromPhysicalQuantity(u"length"),
              (std::vector<ustring>{u"m", u"ft", u"klick"}));
}

TEST_F(SqlDatabaseFileLoaderTest, ABadRowCostsOnlyItself) {
    struct Case {
        const char* what;
        const char* damage; // SQL run on the small database
        Lines warnings;
        std::vector<ustring> missing;                     // no longer found
        std::vector<ustring> kept = {u"m", u"ft", u"km"}; // still found
        ustring version = u"2.5";
    };
    const Case cases[] = {
        {"no version row", "DELETE FROM unitdb_metadata;", {}, {}, {u"m"}, u"1.0"},
        {"duplicate unit symbol",
         "INSERT INTO units VALUES (4, 'metre2', 'm', 'm2', 'm', 'm', 1, '', 1, NULL, NULL, 1);",
         {"UnitDatabaseFileLoadFieldError(<path>, units)", "  SimilarInstanceThere(metre2, m, m2)"},
         {}},
        {"prefix group naming a prefix that did not load",
         "INSERT INTO unit_prefixes VALUES (3, 'mega', 'k', 'M', 'M', 1, 1, 10001);"
         "INSERT INTO prefix_groups_to_prefixes VALUES (2, 3);"
         "UPDATE units SET PrefixGroup = 2 WHERE Id = 3;"
         "INSERT INTO prefix_aliases VALUES (2, 'Mega', 'MM', 'MM', '', 3, 1, 1);",
         {"UnitDatabaseFileLoadFieldError(<path>, unitPrefixes)",
          "  SimilarInstanceThere(mega, k, M)",
          "UnitDatabaseFileLoadFieldError(<path>, unitPrefixAliases)",
          "  UnitPrefixNotInDatabase(mega)", "UnitDatabaseFileLoadFieldError(<path>, units)",
          "  UnitPrefixNotInDatabase(mega)"},
         {u"g", u"MM"}},
        {"quantity without a name",
         "INSERT INTO physical_quantities VALUES (5, NULL, 'x', NULL);"
         "UPDATE units SET PhysicalQuantity = 5 WHERE Id = 3;",
         {"NameNotDefined()", "SymbolNotDefined()", "ASCIISymbolNotDefined()",
          "UnitDatabaseFileLoadFieldError(<path>, units)", "  UnitNotInDatabase()"},
         {u"g"}},
        {"relation with a quantity that did not load",
         "INSERT INTO physical_quantities VALUES (5, NULL, 'x', NULL);"
         "UPDATE physical_quantity_relations SET PhysicalQuantityB = 5;",
         {"NameNotDefined()", "SymbolNotDefined()", "ASCIISymbolNotDefined()",
          "UnitDatabaseFileLoadFieldError(<path>, physicalQuantityRelations)",
          "  UnitNotInDatabase()"},
         {}},
        {"unreadable unit factor",
         "UPDATE conversion_factors SET ConversionFactorStr = '3048,x,-4' WHERE Id = 2;",
         {"UnitDatabaseFileLoadFieldError(<path>, units)",
          "  UnitDatabaseFileLoadFieldError(3048,x,-4, ConversionFactorStr)"},
         {u"ft"},
         {u"m", u"km"}},
        {"zero denominator and unknown kind",
         "UPDATE conversion_factors SET ConversionFactorStr = '3048,0,-4' WHERE Id = 2;"
         "UPDATE conversion_factors SET FactorType = 9 WHERE Id = 3;",
         {"UnitDatabaseFileLoadFieldError(<path>, units)",
          "  UnitDatabaseFileLoadFieldError(3048,0,-4, ConversionFactorStr)",
          "  UnitDatabaseFileLoadFieldError(9, FactorType)"},
         {u"ft", u"g"},
         {u"m", u"km"}},
        {"unreadable relation factor",
         "UPDATE conversion_factors SET ConversionFactorStr = 'tau' WHERE Id = 20001;",
         {"UnitDatabaseFileLoadFieldError(<path>, physicalQuantityRelations)",
          "  UnitDatabaseFileLoadFieldError(tau, ConversionFactorStr)"},
         {}},
        {"invalid unit system name",
         "INSERT INTO unit_systems VALUES (3, 'a,b');",
         {"UnitDatabaseFileLoadFieldError(<path>, unitSystems)", "  InvalidUnitSystemName(a,b)"},
         {}},
        {"dangling references",
         "UPDATE units SET PhysicalQuantity = 99 WHERE Id = 2;"
         "INSERT INTO unit_aliases VALUES (3, 'mile', 'mi', 'mi', '', 77, NULL, 2, NULL);"
         "INSERT INTO unit_aliases VALUES (4, 'kilometre2', 'kmx', 'kmx', '', 1, 55, 1, NULL);",
         {"UnitDatabaseFileLoadFieldError(<path>, units)",
          "  UnitDatabaseFileLoadFieldError(99, PhysicalQuantity)",
          "UnitDatabaseFileLoadFieldError(<path>, unitAliases)",
          "  UnitDatabaseFileLoadFieldError(77, RefUnit)",
          "UnitDatabaseFileLoadFieldError(<path>, unitAliases)",
          "  UnitDatabaseFileLoadFieldError(55, RefPrefix)"},
         {u"ft", u"mi"},
         {u"m", u"km"}},
        {"missing column",
         "ALTER TABLE provenances DROP COLUMN Edition;",
         {"UnitDatabaseFileLoadFieldError(<path>, Unit Provenance)",
          "  UnitDatabaseFileOpenError(<path>)"},
         {}},
        {"missing table",
         "DROP TABLE unit_expr_to_physical_quantity;",
         {"UnitDatabaseFileLoadFieldError(<path>, Unit Physical Quantity Mapping)",
          "  UnitDatabaseFileOpenError(<path>)"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db = emptyDatabase();
        const std::string path =
            folder.writeDatabase("damaged", std::string(kSmallDatabase) + c.damage);
        EXPECT_EQ(load(path), c.warnings);
        for (const ustring& symbol : c.missing) {
            EXPECT_FALSE(finds(symbol) || !db->getUnitPrefix(symbol).empty())
                << TextServices::toUtf8(symbol);
        }
        for (const ustring& symbol : c.kept) {
            EXPECT_TRUE(finds(symbol)) << TextServices::toUtf8(symbol);
        }
        EXPECT_EQ(db->getDatabaseVersionString(), c.version);
    }
}

TEST_F(SqlDatabaseFileLoaderTest, AFileThatCannotBeOpenedLoadsNothing) {
    const std::string notZip = folder.path("not-a-zip");
    std::ofstream(notZip) << "plain text";
    struct Case {
        const char* what;
        std::string path;
    };
    const Case cases[] = {
        {"missing file", folder.path("absent")},
        {"not a zip", notZip},
        {"no database part",
         folder.writePackage("no-part", {{"/other", kDataPartType, sqliteBytes(kSmallDatabase)}})},
        {"part is not a database",
         folder.writePackage("not-sqlite", {{"/ud_part", kDataPartType, "hello"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db = emptyDatabase();
        EXPECT_EQ(load(c.path), Lines{"UnitDatabaseFileOpenError(<path>)"});
        EXPECT_EQ(db->getNumUnits() + db->getNumPrefixes() + db->getNumUnitSystems(), 0U);
    }
}

} // namespace
} // namespace db_test
