#include "units/model/FundamentalUnits.hpp"

#include "units/model/Unit.hpp"

#include <gtest/gtest.h>
#include <thread>

using namespace CvUnitSys;

namespace {

TEST(FundamentalUnits, LookupsAreExactAndCoverSymbolAsciiAndName) {
    const auto& f = FundamentalUnits::get();
    struct Case {
        ustring text;
        const char16_t* unitName;     // null: no unit
        const char16_t* quantityName; // null: no quantity
    };
    const Case cases[] = {
        {u"Metre", u"Metre", nullptr},
        {u"m", u"Metre", nullptr},
        {u"metre", nullptr, nullptr},
        {u"deltaK", u"Delta_Kelvin", nullptr},
        {u"\u0394K", u"Delta_Kelvin", nullptr},
        {u"b", u"bit", nullptr},
        {u"Bit", nullptr, nullptr},
        {u"DTemp", nullptr, u"temperature_difference"},
        {u"\u0398", nullptr, u"thermodynamic_temperature"},
        {u"Length", nullptr, nullptr},
        {u"length", nullptr, u"length"},
        {u"memory", nullptr, u"memory"},
        {u"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto label = std::string(c.text.begin(), c.text.end());
        const UnitBase* unit = f.findUnit(c.text);
        const UnitBase* quantity = f.findPhysicalQuantity(c.text);
        EXPECT_EQ(unit ? unit->getName() : u"-", c.unitName ? c.unitName : u"-") << label;
        EXPECT_EQ(quantity ? quantity->getName() : u"-", c.quantityName ? c.quantityName : u"-")
            << label;
    }
}

TEST(FundamentalUnits, TableEntities) {
    const auto& f = FundamentalUnits::get();
    ASSERT_EQ(f.getUnits().size(), 9u);
    ASSERT_EQ(f.getPhysicalQuantities().size(), 9u);
    EXPECT_EQ(f.getUnitSet().size() + f.getPhysicalQuantitySet().size(), 18u);
    for (std::size_t i = 0; i < 9; ++i) {
        const auto& unit = dynamic_cast<const Unit&>(*f.getUnits()[i]);
        const auto& quantity = *f.getPhysicalQuantities()[i];
        EXPECT_EQ(unit.getPhysicalQuantity(), &quantity);
        EXPECT_EQ(unit.getConversionFactor(), defaultStoredConversionFactor());
    }
    const auto& temperature = *f.getPhysicalQuantities()[4];
    EXPECT_EQ(temperature.getDisplay(), u"thermodynamic\\_temperature");
    EXPECT_EQ(temperature.getExpression(), u"Thermodynamic_Temperature");
    EXPECT_EQ(f.getUnits()[8]->getExpression(), u"Bit");
}

TEST(FundamentalUnits, BuiltOnceAcrossThreads) {
    std::vector<const FundamentalUnits*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &FundamentalUnits::get(); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const auto* p : seen) {
        EXPECT_EQ(p, &FundamentalUnits::get());
    }
}

} // namespace
