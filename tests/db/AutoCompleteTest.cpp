#include "units/query/AutoComplete.hpp"

#include "db/DbFixtures.hpp"

#include <gtest/gtest.h>

namespace db_test {
namespace {

TEST(AutoComplete, EachKindHasItsOwnIndex) {
    AutoComplete index;
    auto db = emptyDatabase();
    auto metre = makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m", .expression = u"m"});
    auto length = UnitFactory().createPhysicalQuantity(1, u"length", u"length", u"", u"L", u"L");
    auto kilo = makePrefix(u"kilo", u"k");
    index.addInformation(*metre, *db);
    index.addInformation(*length, *db);
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
    for (const Case& c : {Case{u"METR", UnitBase::UNIT_TYPE_UNIT, {u"metre"}},
                          Case{u"lenght", UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY, {u"length"}},
                          Case{u"kilometre", UnitBase::UNIT_TYPE_PREFIX, {u"k", u"kilo"}},
                          Case{u"metre", UnitBase::UNIT_TYPE_BASE, {}}}) {
        std::map<ustring, std::int32_t> found;
        index.appendApproximateSuggestions(c.text, c.type, found, 2);
        std::set<ustring> words;
        for (const auto& entry : found) {
            words.insert(entry.first);
        }
        EXPECT_EQ(words, c.expected);
    }
    // The unit's definition names the built-in metre: one occurrence.
    EXPECT_EQ(index.getSymbolOccurenceCount(*metre), 1);
    EXPECT_TRUE(index.containsUnit(metre.get()));
    EXPECT_FALSE(index.containsUnit(nullptr));

    index.clearAll();
    EXPECT_FALSE(index.containsUnit(metre.get()));
    EXPECT_EQ(index.getSymbolOccurenceCount(*metre), 0);
    EXPECT_TRUE(index.getAutoCompleteSuggestions(u"kilometre", UnitBase::UNIT_TYPE_PREFIX).empty());
    index.addInformation(*kilo);
    EXPECT_EQ(index.getAutoCompleteSuggestions(u"km", UnitBase::UNIT_TYPE_PREFIX),
              std::set<std::u16string>{u"k"});
}

} // namespace
} // namespace db_test
