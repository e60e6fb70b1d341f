#include "units/query/Whitelist.hpp"

#include "db/DbFixtures.hpp"
#include "db/DbSetFixtures.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/model/UnitAST.hpp"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

namespace {

using namespace db_test;

class WhitelistTest : public ::testing::Test {
protected:
    const UnitBase& unit(const ustring& symbol) {
        return *units.emplace_back(
            makeUnit({.symbol = symbol, .name = symbol, .expression = symbol}));
    }
    Whitelist::EntitySet entities(std::initializer_list<ustring> symbols) {
        Whitelist::EntitySet out;
        for (const ustring& s : symbols) {
            out.insert(unit(s));
        }
        return out;
    }

    std::vector<std::unique_ptr<Unit>> units;
    Whitelist whitelist;
};

TEST_F(WhitelistTest, CountsSymbolsThatDefinitionsUseTogether) {
    whitelist.addSuggestionsHelper(u"N", {u"kg", u"m", u"s"}, true);
    whitelist.addSuggestionsHelper(u"J", {u"N", u"m"}, true);
    whitelist.addSuggestionsHelper(u"m/s", {u"m", u"s"}, false);
    whitelist.addSuggestionsHelper(u"mm", {}, false);
    struct Case {
        ustring symbol;
        std::int32_t occurrences;
    };
    // A unit whose name is an expression counts itself, one with a proper
    // name does not.
    for (const Case& c : {Case{u"m", 3}, Case{u"s", 2}, Case{u"kg", 1}, Case{u"N", 1},
                          Case{u"J", 0}, Case{u"m/s", 1}, Case{u"mm", 1}}) {
        EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(c.symbol), c.occurrences)
            << std::string(c.symbol.begin(), c.symbol.end());
    }

    const Whitelist::EntitySet completions = entities({u"s", u"kg", u"N", u"J", u"W"});
    Whitelist::Information info{{u"kg", {10, 20}}};
    // m's partners among the completions: s twice (N and m/s), kg and N once;
    // with s typed as well, kg gains its count and occurrences a second time.
    whitelist.appendInformation(completions, info, entities({u"m", u"s"}));
    EXPECT_EQ(info, (Whitelist::Information{{u"kg", {12, 22}}, {u"N", {1, 1}}, {u"s", {2, 2}}}));

    Whitelist::Information untouched;
    whitelist.appendInformation(completions, untouched, {});
    whitelist.appendInformation(completions, untouched, entities({u"W"}));
    EXPECT_TRUE(untouched.empty());

    whitelist.clearAll();
    EXPECT_EQ(whitelist.getSymbolOccurrenceCount(unit(u"m")), 0);
}

TEST_F(WhitelistTest, ResolvesDefinitionsInTheDatabaseThenTheBuiltinOne) {
    auto db = emptyDatabase();
    const UnitBase& furlong =
        db->addUnit(*makeUnit({.symbol = u"fur", .name = u"furlong", .expression = u"220*yd"}));
    const UnitBase& speed = db->addUnit(
        *makeUnit({.symbol = u"furph", .name = u"furph", .expression = u"fur/h*nosuch"}));
    whitelist.addSuggestions(furlong, *db);
    whitelist.addSuggestions(speed, *db);
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"yd"), 1) << "from the built-in database";
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"fur"), 1);
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"h"), 1);
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"nosuch"), 0);
    Whitelist::Information info;
    whitelist.appendInformation(entities({u"h"}), info, entities({u"fur"}));
    EXPECT_EQ(info, (Whitelist::Information{{u"h", {1, 1}}}));

    auto broken = makeUnit({.symbol = u"bad", .name = u"bad", .expression = u"m*/s"});
    EXPECT_EQ(thrownId([&] { whitelist.addSuggestions(*broken, *db); }),
              "CorvaneTypes:Unit:ParsingError");
}

// A definition of ASCII letters alone is taken as that one symbol without the
// parser: every such definition of the built-in database reads so.
TEST(WhitelistWordTest, OneWordDefinitionsReadAsTheirSymbol) {
    std::size_t words = 0;
    for (const UnitBase& unit : UnitDatabase::getBuiltinDatabase()->getAllUnits()) {
        const ustring expression(unit.getExpression());
        if (expression.empty() ||
            expression.find_first_not_of(u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") !=
                ustring::npos) {
            continue;
        }
        ++words;
        UnitExpr parsed;
        parseUnitExprThrows(expression, parsed);
        const auto& read = parsed.getReducedUnitExpr().getExpr();
        ASSERT_EQ(read.size(), 1u) << std::string(expression.begin(), expression.end());
        EXPECT_EQ(read.begin()->first, expression);
        EXPECT_EQ(read.begin()->second, Exponent(1));
    }
    EXPECT_GT(words, 100u);
}

// Pairs live in per-symbol blocks that grow and shift as partners come, a
// symbol two entities of one definition share counts once, and a set's
// registrations wait for the next read, compacted as their units go: checked
// against a plain model through many registrations.
TEST_F(WhitelistTest, PairCountsMatchAModel) {
    constexpr int symbols = 40;
    std::vector<const UnitBase*> first;
    std::vector<const UnitBase*> second;
    for (int i = 0; i < symbols; ++i) {
        const ustring symbol = u"s" + ustring(1, static_cast<char16_t>(u'A' + i));
        first.push_back(&*units.emplace_back(
            makeUnit({.symbol = symbol, .name = u"a" + symbol, .expression = symbol})));
        second.push_back(&*units.emplace_back(
            makeUnit({.symbol = symbol, .name = u"b" + symbol, .expression = symbol})));
    }
    std::map<std::pair<int, int>, std::int32_t> pairs;
    std::vector<std::int32_t> occurrences(symbols);
    std::int32_t expressions = 0;
    std::mt19937 random(11);
    for (int d = 0; d < 600; ++d) {
        std::set<int> used;
        UnitAST parts;
        for (unsigned k = 0; k < 1 + random() % 4; ++k) {
            const int i = static_cast<int>(random() % symbols);
            used.insert(i);
            parts.addToAST(random() % 2 == 0 ? *first[i] : *second[i], 1);
        }
        for (const int i : used) {
            ++occurrences[i];
            for (const int j : used) {
                if (i < j) {
                    ++pairs[{i, j}];
                }
            }
        }
        // A unit named by an expression counts its own symbol as well; one
        // gone before the read still counts, and compactions count it early.
        const bool expression = d % 2 == 0;
        expressions += expression ? 1 : 0;
        const UnitSpec shape = {.symbol = expression ? u"d/s" : u"d",
                                .name = expression ? u"d/s" : u"d"};
        whitelist.addSuggestions(
            d % 3 == 0 ? *makeUnit(shape) : *units.emplace_back(makeUnit(shape)), parts);
        if (d == 300) {
            EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"d/s"), expressions);
        }
    }
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"d/s"), expressions);
    EXPECT_EQ(whitelist.getSymbolOccurrenceCountHelper(u"d"), 0) << "a proper name";
    for (int i = 0; i < symbols; ++i) {
        EXPECT_EQ(whitelist.getSymbolOccurrenceCount(*first[i]), occurrences[i]);
        for (int j = 0; j < symbols; ++j) {
            Whitelist::Information info;
            whitelist.appendInformation({*first[j]}, info, {*first[i]});
            Whitelist::Information expected;
            if (const std::int32_t together = pairs[{std::min(i, j), std::max(i, j)}];
                together != 0) {
                expected[ustring(first[j]->getSymbol())] = {together, occurrences[j]};
            }
            ASSERT_EQ(info, expected) << i << " " << j;
        }
    }
}

// A set counts its registrations when read, or before it drops a user
// database that they name: a read after the set let that database go gives
// what reading after each registration gave.
TEST(SetWhitelistTest, CountsRegistrationsBeforeTheirDatabaseGoes) {
    const WarningCollector warnings;
    dbset_test::Universe universe;
    universe.add(u"a", {{}, {{u"xyz", u"m", u"length"}}, u"sa"});
    const auto answers = [](UnitDBSet& set) {
        set.initializeIfNeeded();
        std::vector<ustring> out = set.getApproximateSuggestion(u"kat", UnitBase::UNIT_TYPE_UNIT);
        for (const ustring text : {u"s*k", u"kat*", u"xyz*k"}) {
            for (const UnitBase& unit : set.getAutoCompleteSuggestions(text).units) {
                out.emplace_back(unit.getSymbol());
            }
        }
        return out;
    };
    UnitDBSet eager;
    UnitDBSet deferred;
    deferred.initializeIfNeeded();
    const std::vector<ustring> before = answers(eager);
    for (const ustring text : {u"kat*xyz", u"kat/s", u"xyz/s", u"kat*s^2", u"kat*xyz/s"}) {
        for (UnitDBSet* set : {&eager, &deferred}) {
            UnitExpr parsed;
            parseUnitExprThrows(text, parsed);
            const auto unit = makeUnit({.symbol = text, .name = text, .expression = text});
            const std::optional<UnitAST> parts = set->resolveUnitExpr(parsed);
            ASSERT_TRUE(parts);
            set->addWhitelistedUnits(*unit, *parts);
        }
        answers(eager);
    }
    removeInternalUnitDatabase(u"a");
    const std::vector<ustring> counted = answers(eager);
    EXPECT_NE(counted, answers(*std::make_unique<UnitDBSet>())) << "the registrations count";
    EXPECT_EQ(answers(deferred), counted);
}

} // namespace
