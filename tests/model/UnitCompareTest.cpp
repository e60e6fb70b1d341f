#include "ModelFixtures.hpp"
#include "units/model/CompositeUnit.hpp"
#include "units/model/UnitAlias.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace model_test;

namespace {

struct CompareCase {
    const char* what;
    UnitSpec a;
    UnitSpec b;
    int expected;
};

TEST(UnitCompare, SharedFieldsDecideInOrder) {
    const CompareCase cases[] = {
        {"symbol first", {u"a", u"z", u"z"}, {u"b", u"a", u"a"}, -1},
        {"proper prefix is smaller", {u"m", u"x", u"x"}, {u"mm", u"x", u"x"}, -1},
        {"code units, unsigned", {u"\u00b5", u"x", u"x"}, {u"z", u"x", u"x"}, 1},
        {"code units, not code points", {u"\uffff", u"x", u"x"}, {u"\U00010000", u"x", u"x"}, 1},
        {"then name", {u"m", u"b", u"a"}, {u"m", u"a", u"z"}, 1},
        {"then ASCII symbol", {u"m", u"n", u"a"}, {u"m", u"n", u"b"}, -1},
        {"smaller factor text sorts after",
         {u"m", u"n", u"n", doubleFactor(u"1000")},
         {u"m", u"n", u"n", doubleFactor(u"2")},
         1},
        {"smaller factor kind sorts after",
         {u"m", u"n", u"n", {u"1", ConversionFactorType::Double}},
         {u"m", u"n", u"n", {u"1", ConversionFactorType::Rational}},
         1},
        {"then expression",
         {u"m", u"n", u"n", doubleFactor(u"1"), u"a"},
         {u"m", u"n", u"n", doubleFactor(u"1"), u"b"},
         -1},
        {"factor before expression",
         {u"m", u"n", u"n", doubleFactor(u"2"), u"a"},
         {u"m", u"n", u"n", doubleFactor(u"1"), u"b"},
         -1},
        {"then sub-unit",
         {u"ft", u"foot", u"ft", doubleFactor(u"1"), u"m", u"in"},
         {u"ft", u"foot", u"ft", doubleFactor(u"1"), u"m", u"yd"},
         -1},
        {"display and id take no part",
         {u"m", u"n", u"n", doubleFactor(u"1"), u"e", u"", u"display one", 1},
         {u"m", u"n", u"n", doubleFactor(u"1"), u"e", u"", u"display two", 2},
         0},
    };
    for (const auto& c : cases) {
        const auto a = makeUnit(c.a);
        const auto b = makeUnit(c.b);
        EXPECT_EQ(a->compare(*b), c.expected) << c.what;
        EXPECT_EQ(b->compare(*a), -c.expected) << c.what;
    }
}

TEST(UnitCompare, PhysicalQuantityIsTheLastStepForUnits) {
    const PhysicalQuantity length(1, u"length", u"Length", u"", u"L", u"L");
    const PhysicalQuantity time(2, u"time", u"Time", u"", u"T", u"T");
    const auto a = makeUnit({u"x", u"x", u"x"}, length);
    const auto b = makeUnit({u"x", u"x", u"x"}, time);
    EXPECT_EQ(a->compare(*b), -1);
    EXPECT_EQ(b->compare(*a), 1);
    EXPECT_EQ(a->compare(*a), 0);
}

TEST(UnitCompare, UnitAndQuantityWithEqualFieldsOrderByKind) {
    const PhysicalQuantity pq(1, u"n", u"e", u"", u"s", u"a");
    const auto unit = makeUnit({u"s", u"n", u"a", defaultStoredConversionFactor(), u"e"});
    EXPECT_EQ(pq.compare(*unit), -1);
    EXPECT_EQ(unit->compare(pq), 1);
    EXPECT_EQ(pq.compare(PhysicalQuantity(7, u"n", u"e", u"other display", u"s", u"a")), 0);
}

TEST(UnitCompare, PrefixedUnitsSortAfterPrefixOnlyAfterPlain) {
    const auto kilo = makePrefix(u"kilo", u"k");
    const auto metre = makeUnit({u"m", u"metre", u"m"});
    const auto last = makeUnit({u"\uffff", u"\uffff", u"\uffff"});
    const CompositeUnit km(*kilo, *metre);
    const CompositeUnit kiloAlone(*kilo, UnitFactory::getDummyUnit());
    ASSERT_FALSE(km.isPrefixOnly());
    ASSERT_TRUE(kiloAlone.isPrefixOnly());
    // An alias sorts as the unit it names, and a copy as its original.
    const UnitAlias kmAlias(u"", u"ka", u"ka", u"", km, {});
    const std::unique_ptr<UnitBase> kiloCopy = kiloAlone.clone();
    kiloCopy->setId(7);

    const std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator> sorted{
        km, kiloAlone, *last, *metre, kmAlias};
    std::vector<const UnitBase*> order;
    for (const auto& e : sorted) {
        order.push_back(&e.get());
    }
    const std::vector<const UnitBase*> expected{metre.get(), last.get(), &kiloAlone, &kmAlias, &km};
    EXPECT_EQ(order, expected);
    EXPECT_NE(km.compare(*metre), 0);
    EXPECT_EQ(kiloCopy->compare(kiloAlone), 0);
}

TEST(UnitCompare, DefaultAndDummyUnitAreEqualInContent) {
    EXPECT_NE(&UnitFactory::getDefaultUnit(), &UnitFactory::getDummyUnit());
    EXPECT_EQ(UnitFactory::getDefaultUnit().compare(UnitFactory::getDummyUnit()), 0);
}

struct PrefixCase {
    const char* what;
    ustring nameA, symbolA, factorA;
    ustring nameB, symbolB, factorB;
    int expected;
};

TEST(UnitPrefixCompare, NamesThenSymbolsThenFactor) {
    const PrefixCase cases[] = {
        {"name first", u"kilo", u"z", u"1", u"mega", u"a", u"1", -1},
        {"then symbol", u"kilo", u"k", u"1", u"kilo", u"K", u"1", 1},
        {"smaller factor sorts after", u"kilo", u"k", u"1000", u"kilo", u"k", u"2", 1},
        {"equal", u"kilo", u"k", u"1000", u"kilo", u"k", u"1000", 0},
    };
    for (const auto& c : cases) {
        const auto a = makePrefix(c.nameA, c.symbolA, c.factorA);
        const auto b = makePrefix(c.nameB, c.symbolB, c.factorB);
        EXPECT_EQ(a->compare(*b), c.expected) << c.what;
        EXPECT_EQ(b->compare(*a), -c.expected) << c.what;
    }
}

} // namespace
