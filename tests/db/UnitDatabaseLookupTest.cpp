#include "db/DbFixtures.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace db_test {
namespace {

// Metre accepts kilo and milli, second accepts milli only; "min" must stay
// the minute and never become milli-inch.
class PrefixedLookup : public ::testing::Test {
protected:
    void SetUp() override {
        const UnitPrefix& kilo = db->addUnitPrefix(*makePrefix(u"kilo", u"k", u"1000"));
        const UnitPrefix& milli = db->addUnitPrefix(*makePrefix(u"milli", u"m", u"0.001"));
        auto metre = makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"});
        metre->addPrefix(kilo);
        metre->addPrefix(milli);
        db->addUnit(*metre);
        auto second = makeUnit({.symbol = u"s", .name = u"second", .ascii = u"s"});
        second->addPrefix(milli);
        db->addUnit(*second);
        db->addUnit(*makeUnit({.symbol = u"min", .name = u"minute", .ascii = u"min"}));
        db->addUnit(*makeUnit({.symbol = u"in", .name = u"inch", .ascii = u"in"}));
    }
    std::unique_ptr<UnitDatabase> db = emptyDatabase();
};

TEST_F(PrefixedLookup, ComposesOnlyPrefixesTheUnitLists) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> symbols;
    };
    const Case cases[] = {
        {u"km", {u"km"}},
        {u"mm", {u"mm"}},
        {u"ms", {u"ms"}},
        {u"ks", {}},
        {u"kilometre", {u"km"}},
        {u"millisecond", {u"ms"}},
        {u"kilosecond", {}},
        // A prefix name never meets a unit symbol, nor a symbol a name.
        {u"kilom", {}},
        {u"kmetre", {}},
        {u"min", {u"min"}},
        {u"k", {}},
        {u"kkm", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(symbolsOf(db->getUnit(c.text)), c.symbols);
    }
}

// The set-free look-up finds what the set would have first, and knows when
// the set would have held more: here "mm" is both a stored unit and milli-metre.
TEST_F(PrefixedLookup, FirstUnitAgreesWithTheSet) {
    db->addUnit(*makeUnit({.symbol = u"mm", .name = u"mm_of_water", .ascii = u"mm"}));
    for (const ustring text :
         {u"km", u"mm", u"ms", u"ks", u"kilometre", u"min", u"mm_of_water", u"", u"k"}) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        const UnitDatabase::UnitSet all = db->getUnit(text);
        const UnitDatabase::FirstUnit first = db->getFirstUnit(text);
        EXPECT_EQ(first.unit, all.empty() ? nullptr : &all.begin()->get());
        EXPECT_EQ(first.several, all.size() > 1);
    }
    EXPECT_TRUE(db->getFirstUnit(u"mm").several);
}

// Only a database whose names or symbols hold an operator can name a unit by
// a text that holds one.
TEST_F(PrefixedLookup, NotesOperatorsInTheTextsItStores) {
    for (const auto* text : {u"km/s", u"m^2", u"(m)", u"kg*m"}) {
        EXPECT_TRUE(UnitDatabase::holdsOperator(text));
    }
    for (const auto* text : {u"km", u"m2", u"m-1", u"deg C", u"m.s", u""}) {
        EXPECT_FALSE(UnitDatabase::holdsOperator(text));
    }
    EXPECT_FALSE(db->hasOperatorTexts());
    db->addUnit(*makeUnit({.symbol = u"m/s", .name = u"metre_per_second", .ascii = u"m/s"}));
    EXPECT_TRUE(db->hasOperatorTexts());
    EXPECT_NE(db->getFirstUnit(u"m/s").unit, nullptr);
}

// Remembered answers must never outlive the entities they point at nor hide
// a unit added later; past the bound, answers are still right.
TEST_F(PrefixedLookup, FirstUnitFollowsChangesAndStaysBounded) {
    EXPECT_EQ(db->getFirstUnit(u"kin").unit, nullptr);
    auto inch = static_cast<const Unit*>(db->getFirstUnit(u"in").unit);
    ASSERT_NE(inch, nullptr);
    auto prefixed = makeUnit({.symbol = u"in", .name = u"inch", .ascii = u"in"});
    prefixed->addPrefix(*db->getUnitPrefix(u"k").begin());
    db->removeUnit(*inch);
    EXPECT_EQ(db->getFirstUnit(u"in").unit, nullptr);
    db->addUnit(*prefixed);
    ASSERT_NE(db->getFirstUnit(u"kin").unit, nullptr);
    EXPECT_EQ(db->getFirstUnit(u"kin").unit->getName(), u"kiloinch");

    db->getFirstUnit(u"km");
    db->clearAllCompositeUnits();
    // A kept answer would point at the freed composite (the sanitizer run reads it).
    EXPECT_EQ(db->getFirstUnit(u"km").unit->getSymbol(), u"km");
    EXPECT_EQ(db->getFirstUnit(u"km").unit, &db->getUnit(u"km").begin()->get());

    for (std::size_t i = 0; i < UnitDatabase::maxRememberedFirstUnits + 100; ++i) {
        const std::string digits = std::to_string(i);
        db->getFirstUnit(u"x" + ustring(digits.begin(), digits.end()));
    }
    EXPECT_EQ(db->getNumRememberedFirstUnits(), UnitDatabase::maxRememberedFirstUnits);
    db->addUnit(*makeUnit({.symbol = u"xab", .name = u"xab", .ascii = u"xab"}));
    EXPECT_EQ(db->getNumRememberedFirstUnits(), 0U);
    EXPECT_NE(db->getFirstUnit(u"xab").unit, nullptr);
    EXPECT_NE(db->getFirstUnit(u"mm").unit, nullptr);
}

TEST_F(PrefixedLookup, CompositeComesFromTheCache) {
    const UnitBase& first = *db->getUnit(u"km").begin();
    const UnitBase& byName = *db->getUnit(u"kilometre").begin();
    EXPECT_EQ(&first, &byName);
    EXPECT_TRUE(first.isPrefixedUnit());
    // Two prefixes of metre and three units, one composite for each pair that fits.
    EXPECT_EQ(db->getAllPossibleUnitsInDatabase().size(), 4U + 3U);
}

TEST_F(PrefixedLookup, DefaultQuantityFiltersNothing) {
    auto length = UnitFactory().createPhysicalQuantity(1, u"length", u"length", u"", u"L", u"L");
    const UnitBase& storedLength = db->addUnit(*length);
    db->addUnit(*makeUnit({.symbol = u"ft", .name = u"foot", .ascii = u"ft"}, storedLength));
    auto time = UnitFactory().createPhysicalQuantity(2, u"time", u"time", u"", u"T", u"T");
    for (const std::u16string text : {u"km", u"ft", u"min", u"nothing"}) {
        EXPECT_EQ(symbolsOf(db->getUnit(text, UnitFactory::getDefaultPhysicalQuantity())),
                  symbolsOf(db->getUnit(text)));
    }
    EXPECT_EQ(symbolsOf(db->getUnit(u"ft", storedLength)), std::vector<std::u16string>{u"ft"});
    EXPECT_TRUE(db->getUnit(u"ft", *time).empty());
    EXPECT_TRUE(db->getUnit(u"km", storedLength).empty());
}

TEST_F(PrefixedLookup, CompositeIsBuiltOnceAcrossThreads) {
    const UnitPrefix& kilo = *db->getUnitPrefix(u"k").begin();
    const auto& metre = static_cast<const Unit&>(db->getUnit(u"metre").begin()->get());
    constexpr int threads = 8;
    std::vector<const CompositeUnit*> seen(threads);
    std::vector<std::size_t> found(threads);
    std::vector<std::size_t> unknown(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                seen[t] = &db->getCompositeUnit(kilo, metre);
                found[t] += db->getUnit(i % 2 ? u"mm" : u"ms").size();
                found[t] += db->getFirstUnit(i % 2 ? u"mm" : u"ms").unit == nullptr;
                // Answers kept by some threads while the others read.
                const char16_t text[] = {u'q', static_cast<char16_t>(u'a' + i % 26),
                                         static_cast<char16_t>(u'a' + i / 26), 0};
                unknown[t] += db->getFirstUnit(text).unit == nullptr;
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(seen[t], seen[0]);
        EXPECT_EQ(found[t], 200U);
        EXPECT_EQ(unknown[t], 200U);
    }
    EXPECT_EQ(seen[0]->getSymbol(), u"km");
}

UnitProvenance provenance(const std::u16string& id) {
    return UnitProvenance(id, u"title", u"", u"", u"", {}, u"", 2019);
}

TEST(UnitDatabaseProvenance, UntiedUnitFallsBackToUnknown) {
    struct Case {
        const char* what;
        bool hasUnknown;
        std::vector<std::u16string> tiedIds;
        std::vector<std::u16string> expected;
    };
    const Case cases[] = {
        {"tied", true, {u"SI"}, {u"SI"}},
        {"untied", true, {}, {u"Unknown"}},
        {"untied without Unknown", false, {}, {}},
        {"tied to a missing provenance", true, {u"gone"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto db = emptyDatabase();
        db->addUnitProvenance(provenance(u"SI"));
        if (c.hasUnknown) {
            db->addUnitProvenance(provenance(u"Unknown"));
        }
        const UnitBase& metre =
            db->addUnit(*makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"}));
        for (const auto& id : c.tiedIds) {
            db->addUnitProvenanceMapping(u"m", id);
        }
        UnitDatabase::ProvenanceList list;
        db->appendProvenancesForUnit(metre, list);
        std::vector<std::u16string> ids;
        for (const UnitProvenance& p : list) {
            ids.push_back(p.getProvenanceId());
        }
        EXPECT_EQ(ids, c.expected);
    }
}

TEST(UnitDatabaseProvenance, UnitsAreFoundFromTheirProvenance) {
    auto db = emptyDatabase();
    db->addUnitProvenance(provenance(u"SI"));
    db->addUnitProvenance(provenance(u"SI"));
    EXPECT_EQ(db->getNumUnitProvenances(), 1U);
    db->addUnit(*makeUnit({.symbol = u"m", .name = u"metre", .ascii = u"m"}));
    db->addUnitProvenanceMapping(u"m", u"SI");
    db->addUnitProvenanceMapping(u"ghost", u"SI");
    UnitDatabase::UnitSet units;
    db->appendUnitsForProvenance(*db->getUnitProvenance(u"SI"), units);
    EXPECT_EQ(symbolsOf(units), std::vector<std::u16string>{u"m"});
}

class SpecialFactor : public ::testing::Test {
protected:
    const UnitBase& quantity(const std::u16string& name) {
        return db->addUnit(*UnitFactory().createPhysicalQuantity(1, name, name, u"", name, name));
    }
    std::unique_ptr<UnitDatabase> db = emptyDatabase();
};

TEST_F(SpecialFactor, AnswersInBothDirections) {
    struct Case {
        const char* what;
        ConversionFactorType type;
        double forward;
        double backward;
    };
    const Case cases[] = {
        {"plain factor is inverted backwards", ConversionFactorType::Double, 4.0, 0.25},
        {"reciprocal factor serves both ways", ConversionFactorType::DoubleReciprocal, 4.0, 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db->clearAll();
        // Stored from the larger quantity to the smaller, so both branches of the
        // direction flag are exercised.
        const UnitBase& a = quantity(u"aaa");
        const UnitBase& z = quantity(u"zzz");
        ASSERT_LT(a.compare(z), 0);
        db->addPhysicalQuantityRelation(
            z, a, ConversionFactorFactory::createConversionFactor(u"4", c.type));
        auto forward = db->getSpecialConversionFactor(z, a);
        auto backward = db->getSpecialConversionFactor(a, z);
        ASSERT_TRUE(forward && backward);
        EXPECT_DOUBLE_EQ(forward->toDouble(), c.forward);
        EXPECT_DOUBLE_EQ(backward->toDouble(), c.backward);

        // Units ask through their quantities.
        auto onA = makeUnit({.symbol = u"ua", .name = u"ua", .ascii = u"ua"}, a);
        auto onZ = makeUnit({.symbol = u"uz", .name = u"uz", .ascii = u"uz"}, z);
        EXPECT_DOUBLE_EQ(db->getSpecialConversionFactor(*onZ, *onA)->toDouble(), c.forward);
        // A unit and a quantity never relate.
        EXPECT_FALSE(db->getSpecialConversionFactor(*onZ, a));
        // An equal copy stands for the stored quantity.
        EXPECT_DOUBLE_EQ(db->getSpecialConversionFactor(*z.clone(), a)->toDouble(), c.forward);
        EXPECT_EQ(db->getRelatedPhysicalQuantities(u"aaa"), std::vector<std::u16string>{u"zzz"});
        const UnitBase& unrelated = quantity(u"bbb");
        EXPECT_FALSE(db->getSpecialConversionFactor(a, unrelated));
        EXPECT_TRUE(db->getRelatedPhysicalQuantities(u"bbb").empty());
    }
}

// The matching rules are the fundamental table's own; here only that the
// database asks it.
TEST(UnitDatabaseFundamentals, AnswerFromTheFundamentalTable) {
    EXPECT_TRUE(UnitDatabase::isFundamentalUnit(u"m"));
    EXPECT_FALSE(UnitDatabase::isFundamentalUnit(u"length"));
    EXPECT_TRUE(UnitDatabase::isFundamentalPhysicalQuantity(u"DTemp"));
    EXPECT_FALSE(UnitDatabase::isFundamentalPhysicalQuantity(u"m"));
}

} // namespace
} // namespace db_test
