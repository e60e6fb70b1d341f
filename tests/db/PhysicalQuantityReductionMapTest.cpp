#include "units/db/PhysicalQuantityReductionMap.hpp"

#include "db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace dbset_test;

using Map = PhysicalQuantityReductionMap;

ustring text(const BaseExpression& x) {
    std::basic_ostringstream<char16_t> out;
    out << x;
    return out.str();
}

std::string utf8(const ustring& s) {
    return TextServices::toUtf8(s);
}

bool contains(const Map::Tags& tags, const ustring& tag) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

TEST(BaseExpressionTest, TermsOrderByTagThenNumeratorThenDenominator) {
    struct Case {
        BaseExpressionTerm a, b;
        bool before;
    };
    const Case cases[] = {
        {{u"length", 1}, {u"time", 1}, true},    {{u"time", 1}, {u"length", 1}, false},
        {{u"len", 5}, {u"length", 1}, true}, // a prefix comes first
        {{u"Zeta", 1}, {u"alpha", 1}, true}, // code units, not letters
        {{u"x", {1, 0}}, {u"x", {2, 0}}, true},  {{u"x", {1, 0}}, {u"x", {1, 1}}, true},
        {{u"x", {1, 1}}, {u"x", {1, 0}}, false}, {{u"x", {1, 1}}, {u"x", {1, 1}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TagExponentSortComparator()(c.a, c.b), c.before)
            << utf8(c.a.first) << " " << utf8(c.b.first);
    }
}

TEST(BaseExpressionTest, ExpressionsOrderByFirstDifferenceThenLength) {
    struct Case {
        BaseExpression x, y;
        bool before;
    };
    const Case cases[] = {
        {{{u"a", 1}, {u"z", 9}}, {{u"b", 1}}, true},  // the first differing tag decides
        {{{u"a", 2}}, {{u"a", 1}, {u"b", 1}}, false}, // then the first differing exponent
        {{{u"a", 1}}, {{u"a", 1}, {u"b", 1}}, true},  // a list that runs out comes first
        {{{u"a", 1}, {u"b", 1}}, {{u"a", 1}}, false},
        {{{u"a", {0, 0}}}, {{u"a", {1, 1}}}, true},    // both parts count, not the value
        {{{u"a", 1.0}}, {{u"a", 1.0 + 1e-17}}, false}, // equal within the tolerance
        {{}, {}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BaseExpressionMapComparator()(c.x, c.y), c.before) << utf8(text(c.x));
    }
}

TEST(BaseExpressionTest, HashFollowsTagsAndSimplifiedValuesInOrder) {
    const BaseExpressionHash hash;
    EXPECT_EQ(hash({}), 0u);
    EXPECT_EQ(hash({{u"m", {2, 1}}}), hash({{u"m", {1, 0}}}));
    EXPECT_EQ(hash({{u"m", 0.0}}), hash({{u"m", -0.0}}));
    EXPECT_NE(hash({{u"m", 1}, {u"s", -1}}), hash({{u"s", -1}, {u"m", 1}}));
    EXPECT_NE(hash({{u"m", 1}}), hash({{u"m", -1}}));
}

TEST(PhysicalQuantityReductionMapTest, SimplifyAddsRunsAndDropsWhatCancels) {
    struct Case {
        BaseExpression in;
        ustring out;
    };
    const Case cases[] = {
        {{}, u"{length^(0:0)}"},
        {{{u"length", 1}, {u"length", -1}}, u"{length^(0:0)}"},
        {{{u"length", {1, 1}}}, u"{length^(0:0)}"},
        {{{u"mass", {2, 1}}}, u"{mass^(1:0)}"},
        {{{u"length", 1}, {u"length", 1}, {u"time", -1}}, u"{length^(2:0) * time^(0:1)}"},
        {{{u"length", 1}, {u"time", 1}, {u"time", -1}}, u"{length^(1:0)}"},
        {{{u"a", 0.5}, {u"a", 0.25}}, u"{a^(0.75:0)}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(Map::simplify(c.in)), c.out) << utf8(text(c.in));
    }
}

TEST(PhysicalQuantityReductionMapTest, MergeKeepsOrderAndEveryTerm) {
    struct Case {
        BaseExpression a, b;
        ustring out;
    };
    const Case cases[] = {
        {{{u"a", 1}, {u"c", 1}}, {{u"b", 1}}, u"{a^(1:0) * b^(1:0) * c^(1:0)}"},
        {{{u"x", 1}}, {{u"x", -1}}, u"{x^(0:1) * x^(1:0)}"},
        {{}, {{u"b", 1}, {u"a", 1}}, u"{b^(1:0) * a^(1:0)}"}, // the rest is appended as it is
        {{{u"x", 2}}, {}, u"{x^(2:0)}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(Map::merge(c.a, c.b)), c.out);
    }
}

// Quantities of a test, owned by it; the factory makes them as a database does.
class Quantities {
public:
    const UnitBase& add(const ustring& name, const ustring& expression) {
        owned_.push_back(
            UnitFactory().createPhysicalQuantity(0, name, expression, name, name, name));
        set.insert(*owned_.back());
        return *owned_.back();
    }
    Map::QuantitySet set;

private:
    std::vector<std::unique_ptr<PhysicalQuantity>> owned_;
};

TEST(PhysicalQuantityReductionMapTest, DerivedQuantitiesReduceRecursively) {
    Quantities q;
    q.add(u"length", u"length");
    q.add(u"time", u"time");
    q.add(u"velocity", u"length/time");
    q.add(u"acceleration", u"velocity/time");
    q.add(u"crackle", u"acceleration^2*length^(1/2)/velocity");
    q.add(u"ratio", u"length/length");
    Map map;
    map.insert(q.set);
    struct Case {
        ustring tag, unsimplified, simplified;
    };
    const Case cases[] = {
        {u"length", u"{length^(1:0)}", u"{length^(1:0)}"},
        {u"velocity", u"{length^(1:0) * time^(0:1)}", u"{length^(1:0) * time^(0:1)}"},
        {u"acceleration", u"{length^(1:0) * time^(0:1) * time^(0:1)}",
         u"{length^(1:0) * time^(0:2)}"},
        // Inner exponents are multiplied by the outer ones; repeated tags stay.
        {u"crackle",
         u"{length^(0:1) * length^(0.5:0) * length^(2:0) * time^(0:2) * time^(0:2) * time^(1:0)}",
         u"{length^(1.5:0) * time^(0:3)}"},
        {u"ratio", u"{length^(1:1)}", u"{length^(0:0)}"},
        {u"unknown", u"{}", u"{}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(map.getUnsimplifiedBaseExpression(c.tag)), c.unsimplified) << utf8(c.tag);
        EXPECT_EQ(text(map.getSimplifiedBaseExpression(c.tag)), c.simplified) << utf8(c.tag);
    }
}

TEST(PhysicalQuantityReductionMapTest, UnreducibleDefinitionsAreRefused) {
    struct Case {
        std::vector<std::pair<ustring, ustring>> quantities;
        std::string error;
    };
    const Case cases[] = {
        {{{u"speed", u"length/time"}, {u"time", u"time"}}, "PhysicalQuantityNotInDatabase"},
        {{{u"a", u"b*time"}, {u"b", u"a/time"}, {u"time", u"time"}}, "CycleInAST"},
        {{{u"a", u"a^2"}}, "CycleInAST"},
        {{{u"a", u"length^"}}, "ParsingError"},
    };
    for (const Case& c : cases) {
        Quantities q;
        for (const auto& [name, expression] : c.quantities) {
            q.add(name, expression);
        }
        Map map;
        EXPECT_EQ(thrownKey([&] { map.insert(q.set); }), c.error);
    }
}

// Deep chains of user quantities are walked without deep recursion.
TEST(PhysicalQuantityReductionMapTest, LongChainsReduce) {
    Quantities q;
    q.add(u"q0", u"q0");
    const int depth = 20000;
    for (int i = 1; i <= depth; ++i) {
        q.add(u"q" + TextServices::fromUtf8(std::to_string(i)),
              u"q" + TextServices::fromUtf8(std::to_string(i - 1)));
    }
    Map map;
    map.insert(q.set);
    EXPECT_EQ(text(map.getSimplifiedBaseExpression(u"q20000")), u"{q0^(1:0)}");
    EXPECT_EQ(map.getMatching({{u"q0", 1}}).size(), static_cast<std::size_t>(depth + 1));
}

TEST(PhysicalQuantityReductionMapTest, InsertingAgainAddsNothing) {
    Quantities q;
    q.add(u"length", u"length");
    const UnitBase& distance = q.add(u"distance", u"length");
    Map map;
    map.insert(q.set);
    map.insert(q.set);
    EXPECT_FALSE(map.insert(distance));
    EXPECT_EQ(map.getMatching({{u"length", 1}}).size(), 2u);

    Quantities later;
    const UnitBase& time = later.add(u"time", u"time");
    EXPECT_TRUE(map.insert(time));
    EXPECT_EQ(map.getMatching({{u"time", 1}}), Map::Tags{u"time"});
}

class BuiltinReductionTest : public ::testing::Test {
protected:
    void SetUp() override {
        map.clear();
        map.initializeIfNeeded();
    }
    WarningCollector warnings;
    Universe universe;
    Map& map = UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap();
};

TEST_F(BuiltinReductionTest, QuantitiesWithOneBaseExpressionMatchTogether) {
    struct Case {
        ustring quantity;
        ustring simplified;
        std::vector<ustring> alsoMatching;
    };
    const Case cases[] = {
        {u"velocity", u"{length^(1:0) * time^(0:1)}", {}},
        {u"frequency", u"{time^(0:1)}", {u"damping_coefficient"}},
        {u"force", u"{length^(1:0) * mass^(1:0) * time^(0:2)}", {}},
        {u"pressure",
         u"{length^(0:1) * mass^(1:0) * time^(0:2)}",
         {u"absolute_pressure", u"gage_pressure", u"stress"}},
        {u"plane_angle", u"{length^(0:0)}", {u"dimensionless", u"solid_angle", u"level"}},
        {u"thermodynamic_temperature", u"{thermodynamic_temperature^(1:0)}", {}},
    };
    for (const Case& c : cases) {
        const BaseExpression simplified = map.getSimplifiedBaseExpression(c.quantity);
        EXPECT_EQ(text(simplified), c.simplified) << utf8(c.quantity);
        const Map::Tags matching = map.getMatching(simplified);
        EXPECT_TRUE(contains(matching, c.quantity)) << utf8(c.quantity);
        for (const ustring& other : c.alsoMatching) {
            EXPECT_TRUE(contains(matching, other)) << utf8(c.quantity) << " " << utf8(other);
        }
    }
    EXPECT_TRUE(map.getSimplifiedBaseExpression(UnitFactory::getDefaultPhysicalQuantity()).empty());
    EXPECT_TRUE(
        map.getUnsimplifiedBaseExpression(UnitFactory::getDefaultPhysicalQuantity()).empty());
    EXPECT_TRUE(map.getMatching({{u"length", 7}}).empty());
}

TEST_F(BuiltinReductionTest, AChangeOfDatabasesEmptiesTheMapUntilTheNextFill) {
    EXPECT_FALSE(contains(map.getMatching({{u"length", 1}, {u"time", -1}}), u"snail_pace"));
    universe.add(u"slow", {{{u"snail_pace", u"length/time"}}, {}, u"slow"});
    EXPECT_FALSE(map.isInitialized());
    EXPECT_TRUE(map.getMatching({{u"length", 1}, {u"time", -1}}).empty());
    map.initializeIfNeeded();
    const Map::Tags matching = map.getMatching({{u"length", 1}, {u"time", -1}});
    EXPECT_TRUE(contains(matching, u"snail_pace"));
    EXPECT_TRUE(contains(matching, u"velocity"));
}

TEST(PhysicalQuantityReductionMapTest, PrintsEachSectionAndTheLargestInverseGroupFirst) {
    Map small;
    Quantities q;
    q.add(u"length", u"length");
    q.add(u"time", u"time");
    q.add(u"distance", u"length");
    small.insert(q.set);
    std::basic_ostringstream<char16_t> out;
    out << small;
    const ustring printed = out.str();
    EXPECT_NE(printed.find(u"Unsimplified Base Expressions: \n{\n"), ustring::npos);
    EXPECT_NE(printed.find(u"(distance: {length^(1:0)})\n"), ustring::npos);
    EXPECT_NE(printed.find(u"Simplified Base Expressions: \n{\n"), ustring::npos);
    const auto inverse = printed.find(u"Inverse Base Expressions: \n{\n");
    ASSERT_NE(inverse, ustring::npos);
    const ustring tail = printed.substr(inverse);
    EXPECT_TRUE(tail.find(u"{length^(1:0)} {distance, length}\n") != ustring::npos ||
                tail.find(u"{length^(1:0)} {length, distance}\n") != ustring::npos);
    EXPECT_LT(tail.find(u"{length^(1:0)} {"), tail.find(u"{time^(1:0)} {time}\n"));
    EXPECT_EQ(printed.substr(printed.size() - 2), u"}\n");
}

} // namespace
