#include "db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace dbset_test;

std::string utf8(const ustring& text) {
    return TextServices::toUtf8(text);
}

std::vector<ustring> symbols(const AutoCompletionResult& result) {
    std::vector<ustring> out;
    for (const UnitBase& unit : result.units) {
        out.emplace_back(unit.getUnitType() == UnitBase::UNIT_TYPE_UNIT ? unit.getSymbol()
                                                                        : unit.getName());
    }
    return out;
}

bool contains(const std::vector<ustring>& list, const ustring& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

class UnitDBSetSuggestions : public ::testing::Test {
protected:
    void SetUp() override {
        universe.add(u"a",
                     {{}, {{u"xyz", u"m", u"length"}, {u"furph", u"m/h", u"velocity"}}, u"sa"});
        universe.add(u"b", {{}, {{u"xyz", u"ft", u"length"}}, u"sb"});
        set.initializeIfNeeded();
    }

    WarningCollector warnings;
    Universe universe;
    UnitDBSet set;
};

TEST_F(UnitDBSetSuggestions, CompletesTheWordBeingTyped) {
    struct Case {
        ustring text;
        ustring completes;
        ustring first;               // empty: no particular first suggestion
        std::vector<ustring> offers; // among the suggestions
        std::vector<ustring> not_;   // not among them
    };
    const Case cases[] = {
        // Stored words, and the prefix k followed by the units completing m.
        {u"km", u"", u"", {u"km", u"kmol", u"kmh"}, {u"kg", u"m"}},
        // The prefix symbol k before every unit that takes it; kilo typed so
        // far is offered alone (symbol k, on the dummy unit).
        {u"k", u"", u"", {u"kg", u"km", u"kJ", u"K"}, {u"m"}},
        // Definitions use s beside kg and m most.
        {u"kg*m/s^", u"kg*m/", u"s", {u"s", u"sr"}, {}},
        {u"N*", u"N*", u"m", {u"m", u"s"}, {}},
        {u"degC@thermo", u"degC@", u"thermodynamic_temperature", {}, {}},
        {u"m@len", u"m@", u"length", {}, {u"m"}},
        // User databases take part; exact case.
        {u"xy", u"", u"xyz", {u"xyz"}, {}},
        {u"XY", u"", u"", {}, {u"xyz"}},
        {u"m/(fur", u"m/(", u"", {u"furph", u"fur"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.text));
        const AutoCompletionResult result = set.getAutoCompleteSuggestions(c.text);
        const std::vector<ustring> offered = symbols(result);
        EXPECT_EQ(result.text, c.completes);
        if (!c.first.empty()) {
            ASSERT_FALSE(offered.empty());
            EXPECT_EQ(offered.front(), c.first);
        }
        for (const ustring& word : c.offers) {
            EXPECT_TRUE(contains(offered, word)) << utf8(word);
        }
        for (const ustring& word : c.not_) {
            EXPECT_FALSE(contains(offered, word)) << utf8(word);
        }
    }
    const AutoCompletionResult kilo = set.getAutoCompleteSuggestions(u"ki");
    EXPECT_TRUE(std::any_of(kilo.units.begin(), kilo.units.end(), [](const UnitBase& u) {
        return u.isPrefixOnly() && u.getName() == u"kilo" && u.getSymbol() == u"k";
    })) << "a prefix being typed is offered on its own";
}

TEST_F(UnitDBSetSuggestions, CorrectsMisspeltWordsClosestAndMostUsedFirst) {
    struct Case {
        ustring text;
        UnitBase::UnitType type;
        ustring first;
        std::vector<ustring> offers;
    };
    const Case cases[] = {
        // Wrong case costs nothing, and the right case comes first.
        {u"KM", UnitBase::UNIT_TYPE_UNIT, u"km", {u"kmh"}},
        {u"Kg", UnitBase::UNIT_TYPE_UNIT, u"kg", {u"kG"}},
        {u"MPH", UnitBase::UNIT_TYPE_UNIT, u"mph", {}},
        {u"PSI", UnitBase::UNIT_TYPE_UNIT, u"psi", {u"ksi"}},
        {u"MM", UnitBase::UNIT_TYPE_UNIT, u"mm", {u"Mm"}},
        {u"sekond", UnitBase::UNIT_TYPE_UNIT, u"second", {}},
        {u"metre", UnitBase::UNIT_TYPE_UNIT, u"metre", {u"meter"}},
        // A prefix and a unit, both misspelt, within two edits together.
        {u"kilometr", UnitBase::UNIT_TYPE_UNIT, u"kilometer", {u"kilometre"}},
        {u"mxyz", UnitBase::UNIT_TYPE_UNIT, u"xyz", {}},
        {u"lenth", UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY, u"length", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.text));
        const std::vector<ustring> found = set.getApproximateSuggestion(c.text, c.type);
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found.front(), c.first);
        for (const ustring& word : c.offers) {
            EXPECT_TRUE(contains(found, word)) << utf8(word);
        }
    }
    EXPECT_TRUE(set.getApproximateSuggestion(u"length", UnitBase::UNIT_TYPE_BASE).empty());
}

TEST_F(UnitDBSetSuggestions, QualifiesAmbiguousSymbolsAndListsSimilarUnits) {
    EXPECT_EQ(set.getSuggestionsForAmbiguousUnits(u"xyz"),
              (std::vector<ustring>{u"sa::xyz", u"sb::xyz"}));
    EXPECT_TRUE(set.getSuggestionsForAmbiguousUnits(u"m").empty());

    const auto sortedIgnoringCase = [](const std::vector<ustring>& list) {
        return std::is_sorted(list.begin(), list.end(),
                              [](const ustring& a, const ustring& b) {
                                  return TextServices::compareIgnoreCase(a, b) < 0;
                              }) &&
               std::adjacent_find(list.begin(), list.end()) == list.end();
    };
    const std::vector<ustring> likeFoot = set.getSimilarUnitsForUnit(u"ft");
    EXPECT_TRUE(contains(likeFoot, u"m") && contains(likeFoot, u"ft") && contains(likeFoot, u"mi"));
    EXPECT_TRUE(sortedIgnoringCase(likeFoot));
    const std::vector<ustring> speeds = set.getSimilarUnitsForPhysicalQuantity(u"velocity");
    EXPECT_TRUE(contains(speeds, u"mph") && contains(speeds, u"kmh"));
    EXPECT_FALSE(contains(speeds, u"m"));
    EXPECT_TRUE(sortedIgnoringCase(speeds));
    // A product of units adds the units of the quantities with its dimensions.
    struct Case {
        ustring expression;
        std::vector<ustring> offers;
    };
    for (const Case& c :
         {Case{u"yd/s", {u"mph", u"kmh", u"m/s"}}, Case{u"xyz*ft/s^2", {u"J/kg", u"Gy"}},
          Case{u"ft/ft", {}}, Case{u"m*nosuch", {}}, Case{u"nosuch", {}}}) {
        SCOPED_TRACE(utf8(c.expression));
        const std::vector<ustring> similar = set.getSimilarUnitsForUnit(c.expression);
        EXPECT_EQ(similar.empty(), c.offers.empty());
        for (const ustring& word : c.offers) {
            EXPECT_TRUE(contains(similar, word)) << utf8(word);
        }
        EXPECT_TRUE(sortedIgnoringCase(similar));
    }
}

// Hostile text gives short or empty answers, never an exception or a hang.
TEST_F(UnitDBSetSuggestions, HostileTextIsAnsweredQuickly) {
    const ustring texts[] = {u"",
                             u"@",
                             u"*",
                             u"@@",
                             ustring(100000, u'm'),
                             ustring(50000, u'*') + u"m",
                             ustring(1, u'\xD800') + u"m",
                             u"k" + ustring(1, u'\xDC00'),
                             u"m\x01\x07\n\t",
                             u"m" + ustring(1000, u'^'),
                             ustring(1000, u'^')};
    for (const ustring& text : texts) {
        SCOPED_TRACE(text.size());
        EXPECT_NO_THROW(set.getAutoCompleteSuggestions(text));
        EXPECT_NO_THROW(set.getApproximateSuggestion(text, UnitBase::UNIT_TYPE_UNIT));
        EXPECT_NO_THROW(set.getApproximateSuggestion(text, UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY));
        EXPECT_NO_THROW(set.getSimilarUnitsForUnit(text));
        EXPECT_NO_THROW(set.getSuggestionsForAmbiguousUnits(text));
    }
}

} // namespace
