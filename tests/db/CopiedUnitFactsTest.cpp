#include "units/db/CopiedUnitFacts.hpp"

#include "units/db/UnitDatabase.hpp"
#include "units/model/UnitFactory.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace CvUnitSys;

// Facts are kept for one state of the database only, and never more than the bound.
TEST(CopiedUnitFacts, KeepsOneStateAndAtMostItsBound) {
    CopiedUnitFacts facts;
    const UnitDatabase& database = *UnitDatabase::getBuiltinDatabase();
    std::vector<std::unique_ptr<UnitBase>> units;
    for (std::size_t i = 0; i <= CopiedUnitFacts::maxUnits; ++i) {
        units.push_back(UnitFactory::getDefaultUnit().clone());
    }
    const Whitelist::Parts parts{units[0].get(), units[1].get()};
    for (const auto& unit : units) {
        facts.store(*unit, database, 7, parts);
        ASSERT_LE(facts.size(), CopiedUnitFacts::maxUnits);
    }
    Whitelist::Parts found;
    ASSERT_TRUE(facts.find(*units.back(), database, 7, found));
    EXPECT_EQ(found, parts);
    EXPECT_FALSE(facts.find(*units.back(), database, 8, found)) << "a later state";
    facts.store(*units[2], database, 8, parts);
    EXPECT_EQ(facts.size(), 1U);
    EXPECT_FALSE(facts.find(*units.back(), database, 7, found)) << "the earlier state is gone";
}

} // namespace
