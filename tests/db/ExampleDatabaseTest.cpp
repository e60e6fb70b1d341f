#include "db/DbFixtures.hpp"
#include "units/host/MessageCatalogue.hpp"
#include "units/host/TextServices.hpp"
#include "units/host/UnitRepositoryReader.hpp"
#include "units/model/UnitFactory.hpp"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace db_test;

const std::string kExample =
    (std::filesystem::path(__FILE__).parent_path() / "../../examples/user-databases/shop_units.xml")
        .lexically_normal()
        .string();

// Quantities the example takes from the built-in database, given to it here
// when this test program runs without the built-in data.
void provideBuiltinQuantities() {
    UnitDatabase& builtin = *UnitDatabase::getUnitDatabase();
    for (const ustring name : {u"velocity", u"mass", u"length", u"thermodynamic_temperature"}) {
        if (builtin.getPhysicalQuantity(name).empty()) {
            builtin.addUnit(*UnitFactory().createPhysicalQuantity(0, name, name, name, name, name));
        }
    }
}

TEST(ExampleDatabase, LoadsCleanlyWithEveryUnit) {
    provideBuiltinQuantities();
    WarningCollector warnings;
    auto db =
        UnitDatabase::createNewDatabase(TextServices::fromUtf8(kExample), DatabaseSource::UserFile);
    db->loadFromModel(UnitRepositoryReader::readFile(kExample));
    for (const Diagnostic& d : warnings.warnings()) {
        ADD_FAILURE() << formatDiagnostic(d);
    }
    EXPECT_EQ(db->getUnitSystemName(), u"shop");
    EXPECT_EQ(db->getNumUnitProvenances(), 1U);

    struct Expected {
        ustring symbol;
        ustring definition;
        StoredConversionFactor factor;
        ustring quantity;
    };
    const std::vector<Expected> expected = {
        {u"bdoz", u"doz", {u"13,12", ConversionFactorType::Rational}, u""},
        {u"gross", u"doz", {u"12,1", ConversionFactorType::Rational}, u""},
        {u"loaf_ph", u"1/h", {u"1", ConversionFactorType::Double}, u"production_rate"},
        {u"fpf", u"fur/fortnight", {u"1", ConversionFactorType::Double}, u"velocity"},
        {u"sack", u"lb", {u"280,1", ConversionFactorType::Rational}, u"mass"},
        {u"lig", u"m", {u"635,1,-6", ConversionFactorType::ScaledRational}, u"length"},
        {u"degRo",
         u"K",
         {u"40,21,36241,140", ConversionFactorType::RationalAffine},
         u"thermodynamic_temperature"},
        {u"degProbe",
         u"K",
         {u"1.02,273.55", ConversionFactorType::DoubleAffine},
         u"thermodynamic_temperature"},
    };
    EXPECT_EQ(db->getNumUnits(), expected.size());
    for (const Expected& e : expected) {
        const auto found = db->getUnit(e.symbol);
        ASSERT_EQ(found.size(), 1U) << TextServices::toUtf8(e.symbol);
        const auto& unit = static_cast<const Unit&>(found.begin()->get());
        EXPECT_EQ(unit.getExpression(), e.definition);
        EXPECT_EQ(unit.getConversionFactor(), e.factor);
        EXPECT_EQ(unit.getPhysicalQuantity()->getName(), e.quantity);
    }
    EXPECT_EQ(symbolsOf(db->getUnit(u"°Rø")), std::vector<std::u16string>{u"°Rø"});
}

} // namespace
