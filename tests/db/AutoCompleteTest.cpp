#include "units/query/AutoComplete.hpp"

#include "db/DbFixtures.hpp"

#include <gtest/gtest.h>

namespace db_test {
namespace {

TEST(AutoComplete, EachKindHasItsOwnIndex) {
    AutoComplete index;
    auto metre = makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"});
    auto length = UnitFactory().createPhysicalQuantity(1, u"length", u"length", u"", u"L", u"L");
    auto kilo = makePrefix(u"kilo", u"k");
    index.addInformation(*metre);
    index.addInformation(*length);
    index.addInformation(*kilo);

    struct Case {
        std::u16string text;
        UnitBase::UnitType type;
        std::set<std::u16string> expected;
    };
    const Case cases[] = {
        {u"me", UnitBase::UNIT_TYPE_UNIT, {u"metre"}},
        {u"le", UnitBase::UNIT_TYPE_UNIT, {}},
        {u"le", UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY, {u"length"}},
        // Prefix mode: the prefixes a typed word starts with.
        {u"kilometre", UnitBase::UNIT_TYPE_PREFIX, {u"k", u"kilo"}},
        {u"km", UnitBase::UNIT_TYPE_PREFIX, {u"k"}},
        {u"me", UnitBase::UNIT_TYPE_BASE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(index.getAutoCompleteSuggestions(c.text, c.type), c.expected);
    }
    EXPECT_TRUE(index.containsUnit(metre.get()));
    EXPECT_FALSE(index.containsUnit(nullptr));

    index.clearAll();
    EXPECT_FALSE(index.containsUnit(metre.get()));
    EXPECT_TRUE(index.getAutoCompleteSuggestions(u"kilometre", UnitBase::UNIT_TYPE_PREFIX).empty());
    index.addInformation(*kilo);
    EXPECT_EQ(index.getAutoCompleteSuggestions(u"km", UnitBase::UNIT_TYPE_PREFIX),
              std::set<std::u16string>{u"k"});
}

} // namespace
} // namespace db_test
