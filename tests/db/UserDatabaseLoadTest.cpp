#include "db/DbSetFixtures.hpp"
#include "db/UserDbFixtures.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/Model.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepository.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace db_test;
using namespace userdb_test;

std::unique_ptr<UnitDatabase> load(const std::string& document,
                                   const ustring& name = u"/data/shop.units.xml") {
    auto db = UnitDatabase::createNewDatabase(name, DatabaseSource::UserFile);
    db->loadFromModel(UnitRepositoryReader::readDocument(document, TextServices::toUtf8(name)));
    return db;
}

const UnitBase& only(const UnitDatabase::UnitSet& set) {
    if (set.size() != 1) {
        throw std::logic_error("expected one entity, found " + std::to_string(set.size()));
    }
    return set.begin()->get();
}

const Unit& unitOf(const UnitDatabase& db, const ustring& symbol) {
    return static_cast<const Unit&>(only(db.getUnit(symbol)));
}

const UnitBase& builtinQuantity(const ustring& name) {
    return only(UnitDatabase::getUnitDatabase()->getPhysicalQuantity(name));
}

TEST(UserDatabaseLoad, StoresEveryEntryWithItsValues) {
    WarningCollector warnings;
    const auto db = load(R"(<unitDatabase name="shop">
  <provenance id="HB" title="Shop handbook" year="2024"><url>https://example.org/hb</url></provenance>
  <physicalQuantity name="angular_velocity" definition="plane_angle/time">
    <provenance ref="HB"/>
  </physicalQuantity>
  <unit name="turns_per_shift" symbol="tps" definition="1/h" physicalQuantity="angular_velocity"
        factor="1,8" factorKind="rational"><provenance ref="HB"/></unit>
  <unit name="free_count" symbol="fc" definition="1"/>
</unitDatabase>)");
    EXPECT_TRUE(warnings.warnings().empty());

    ASSERT_EQ(db->getNumUnitProvenances(), 1U);
    const UnitProvenance* hb = db->getUnitProvenance(u"HB");
    ASSERT_NE(hb, nullptr);
    EXPECT_EQ(hb->getTitle(), u"Shop handbook");
    EXPECT_EQ(hb->getYear(), 2024);
    EXPECT_EQ(hb->getURLs(), std::vector<ustring>{u"https://example.org/hb"});

    const UnitBase& pq = only(db->getPhysicalQuantity(u"angular_velocity"));
    EXPECT_EQ(pq.getDisplay(), u"angular\\_velocity");
    ASSERT_EQ(db->getProvenancesForPhysicalQuantity(u"angular_velocity").size(), 1U);

    const Unit& tps = unitOf(*db, u"tps");
    EXPECT_EQ(tps.getConversionFactor(),
              (StoredConversionFactor{u"1,8", ConversionFactorType::Rational}));
    EXPECT_EQ(tps.getPhysicalQuantity(), &pq);
    ASSERT_EQ(db->getProvenancesForUnit(u"tps").size(), 1U);
    EXPECT_EQ(db->getProvenancesForUnit(u"tps")[0].get().getProvenanceId(), u"HB");

    const Unit& fc = unitOf(*db, u"fc");
    EXPECT_EQ(fc.getPhysicalQuantity(), &UnitFactory::getDefaultPhysicalQuantity());
}

TEST(UserDatabaseLoad, EveryUnitBelongsToTheDatabasesOneSystem) {
    struct Case {
        const char* root;
        ustring path;
        ustring system;
    };
    for (const Case& c : {Case{R"(<unitDatabase name="bakery">)", u"/x/shop.xml", u"bakery"},
                          Case{R"(<unitDatabase>)", u"/x/shop.v2.xml", u"shop"},
                          Case{R"(<unitDatabase name="">)", u"rel/a.b.c", u"a"}}) {
        const auto db =
            load(std::string(c.root) + R"(<unit name="loaf" symbol="loaf" definition="kg"/>
                                           <unit name="tray" symbol="tray" definition="loaf"/>
                                         </unitDatabase>)",
                 c.path);
        EXPECT_EQ(db->getUnitSystemName(), c.system);
        ASSERT_EQ(db->getNumUnitSystems(), 1U);
        EXPECT_EQ(db->getAllUnitSystems()[0]->getName(), c.system);
        for (const auto& unit : db->getAllUnits()) {
            ASSERT_EQ(unit.get().getUnitSystems().size(), 1U);
            EXPECT_EQ(unit.get().getUnitSystems()[0], db->getAllUnitSystems()[0]);
        }
    }
}

// An invalid system name, a unit of an unknown quantity and a clash with a
// stored entry end the load with their error; what came before stays (a
// clashing unit stays in the store, unindexed). Given a
// fault handler, the load hands each on and goes on with the next entry.
TEST(UserDatabaseLoad, FaultsThatEndTheLoadPassToTheCaller) {
    struct Case {
        std::string document;
        std::string key;
        std::vector<ustring> kept;
        std::vector<ustring> keptWithHandler;
    };
    const Case cases[] = {
        {R"(<unitDatabase name="a,b"><unit name="u" symbol="u" definition="m"/></unitDatabase>)",
         "InvalidUnitSystemName",
         {},
         {u"u"}},
        {R"(<unitDatabase><unit name="before" symbol="before" definition="m"/>
             <unit name="mystery" symbol="mys" definition="m" physicalQuantity="no_such"/>
             <unit name="after" symbol="after" definition="m"/></unitDatabase>)",
         "PhysicalQuantityNotInDatabase",
         {u"before"},
         {u"after", u"before"}},
        {R"(<unitDatabase><unit name="ok1" symbol="ok1" definition="m"/>
             <unit name="ok1_again" symbol="ok1" definition="m"/>
             <unit name="after" symbol="after" definition="m"/></unitDatabase>)",
         "SimilarInstanceThere",
         {u"ok1", u"ok1"},
         {u"after", u"ok1", u"ok1"}},
    };
    for (const Case& c : cases) {
        const Model model = UnitRepositoryReader::readDocument(c.document, "/data/shop.xml");
        auto db = UnitDatabase::createNewDatabase(u"/data/shop.xml", DatabaseSource::UserFile);
        EXPECT_EQ(dbset_test::thrownKey([&] { db->loadFromModel(model); }), c.key) << c.document;
        EXPECT_EQ(symbolsOf(db->getAllUnits()), c.kept) << c.document;

        std::vector<std::string> handed;
        db = UnitDatabase::createNewDatabase(u"/data/shop.xml", DatabaseSource::UserFile);
        db->loadFromModel(model, [&handed](const IException& e) {
            handed.push_back(
                static_cast<const IUserException&>(e).getDiagnostic().items()[0].id.getKey());
        });
        EXPECT_EQ(handed, std::vector<std::string>{c.key}) << c.document;
        EXPECT_EQ(symbolsOf(db->getAllUnits()), c.keptWithHandler) << c.document;
    }
}

// A database the manager has no loader for cannot load.
TEST(UserDatabaseLoad, AnUnlistedDatabaseHasNoLoader) {
    const auto db =
        UnitDatabase::createNewDatabase(u"/nowhere/unlisted.xml", DatabaseSource::UserFile);
    EXPECT_THROW(db->loadFromXMLIntoMemory(), std::bad_function_call);
}

// A unit's quantity is the database's own, or else the built-in one.
TEST(UserDatabaseLoad, AQuantityOfTheDatabaseWinsOverTheBuiltinOne) {
    WarningCollector warnings;
    const auto db = load(R"(<unitDatabase>
      <physicalQuantity name="velocity" definition="length/time"/>
      <unit name="shop_speed" symbol="ssp" definition="m/s" physicalQuantity="velocity"/>
      <unit name="furlong_per_fortnight" symbol="fpf" definition="fur/fortnight"
            physicalQuantity="frequency"/></unitDatabase>)");
    EXPECT_TRUE(warnings.warnings().empty());
    EXPECT_EQ(unitOf(*db, u"ssp").getPhysicalQuantity(),
              &only(db->getPhysicalQuantity(u"velocity")));
    EXPECT_EQ(unitOf(*db, u"fpf").getPhysicalQuantity(), &builtinQuantity(u"frequency"));
    EXPECT_EQ(db->getNumPhysicalQuantities(), 1U);
}

// Every bad entry is named in the one warning of the load, and every valid one
// is stored, whatever comes before or after it.
TEST(UserDatabaseLoad, NamesEachInvalidEntryAndKeepsTheRest) {
    WarningCollector warnings;
    const auto db = load(R"(<unitDatabase name="shop">
  <physicalQuantity name="bad quantity" definition="length"/>
  <physicalQuantity name="half_open" definition="length/(time"/>
  <physicalQuantity name="dough_mass" definition="mass"/>
  <unit name="with space" symbol="ws" definition="m"/>
  <unit name="ok1" symbol="ok1" definition="m"/>
  <unit name="star" symbol="a*b" definition="m"/>
  <unit name="micro_thing" symbol="µth" definition="m"/>
  <unit name="micro_thing2" symbol="µth2" asciiSymbol="uth2" definition="m"/>
  <unit name="unparsable" symbol="unp" definition="m/(s"/>
  <unit name="ok2" symbol="ok2" definition="ok1" physicalQuantity="dough_mass"/>
  <unit name="ok3" symbol="ok3" definition="ok2"/>
</unitDatabase>)");
    const std::vector<Item> expected = {
        {"InvalidPQIgnored", u"bad quantity"},  {"InvalidPQIgnored", u"half_open"},
        {"InvalidUnitIgnored", u"with space"},  {"InvalidUnitIgnored", u"star"},
        {"InvalidUnitIgnored", u"micro_thing"}, {"InvalidUnitIgnored", u"unparsable"},
    };
    EXPECT_EQ(itemsOf(warnings), expected);
    const std::vector<Diagnostic> reported = warnings.warnings();
    ASSERT_EQ(reported.size(), 1U);
    const DiagnosticItem& nonAscii = reported[0].items().at(4);
    EXPECT_EQ(boost::get<std::u16string>(nonAscii.id.getArgs().at(1)), u"/data/shop.units.xml");
    EXPECT_NE(nonAscii.extraText.find("outside ASCII"), std::string::npos) << nonAscii.extraText;
    for (const ustring symbol : {u"ok1", u"µth2", u"ok2", u"ok3"}) {
        EXPECT_FALSE(db->getUnit(symbol).empty()) << TextServices::toUtf8(symbol);
    }
    EXPECT_EQ(only(db->getUnit(u"ok1")).getName(), u"ok1");
    EXPECT_FALSE(db->getUnit(u"uth2").empty());
    EXPECT_FALSE(db->getPhysicalQuantity(u"dough_mass").empty());
}

// Definitions are only parsed when loading: units defined through undefined
// units or through each other are stored, and the database set finds them out.
TEST(UserDatabaseLoad, StoresUndefinedAndCyclicDefinitionsWithoutExpandingThem) {
    WarningCollector warnings;
    const auto db = load(R"(<unitDatabase>
  <unit name="ping" symbol="ping" definition="pong^2"/>
  <unit name="pong" symbol="pong" definition="ping/s"/>
  <unit name="self" symbol="self" definition="self"/>
  <unit name="ghost" symbol="ghost" definition="no_such_unit*m"/>
</unitDatabase>)");
    EXPECT_TRUE(warnings.warnings().empty());
    EXPECT_EQ(db->getNumUnits(), 4U);
}

} // namespace
