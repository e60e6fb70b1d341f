#include "db/DbSetFixtures.hpp"
#include "units/db/NoScalingUnitReductionMap.hpp"
#include "units/db/PhysicalQuantityReductionMap.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace dbset_test;

bool has(const std::vector<ustring>& list, const ustring& item) {
    return std::count(list.begin(), list.end(), item) == 1;
}

// Clients fill and read both maps while the host adds and removes a database
// whose quantity and unit join the answers. A reader may come before a fill
// another thread has started (the flag flips before the lock is taken), so an
// empty answer is allowed; a partial or doubled one is not.
TEST(ReductionMapChurn, ReadersSeeWholeFillsWhileDatabasesChange) {
    WarningCollector warnings;
    // The built-in database's first load tells the observer, which belongs to
    // the host's main thread: a host loads it there, and so does this test.
    UnitDatabase::getBuiltinDatabase();
    Universe universe;
    universe.define(u"snail", {{{u"snail_pace", u"length/time"}},
                               {{u"span", u"m", u"length", {u"0.2", ConversionFactorType::Double}}},
                               u"snail"});
    PhysicalQuantityReductionMap& quantities =
        UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap();
    NoScalingUnitReductionMap units;
    std::atomic<bool> done{false};
    std::atomic<bool> failed{false};

    std::vector<std::thread> clients;
    for (int r = 0; r < 2; ++r) {
        clients.emplace_back([&] {
            UnitDBSet set;
            try {
                while (!done.load()) {
                    quantities.initializeIfNeeded();
                    const auto speeds = quantities.getMatching({{u"length", 1}, {u"time", -1}});
                    if (!speeds.empty() && !has(speeds, u"velocity")) {
                        failed = true;
                    }
                    set.initializeIfNeeded();
                    units.initializeIfNeeded(set);
                    const UnitDefinition& metre = set.definitionOf(set.getUnit(u"m"));
                    const auto matching = units.getMatching(
                        NoScalingUnitReductionMap::astToBaseExpression(metre.getFundamentalAST()),
                        metre.getFundamentalConversionFactor());
                    if (!matching.empty() && !has(matching, u"m")) {
                        failed = true;
                    }
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "client failed: %s\n", e.what());
                failed = true;
            }
        });
    }
    for (int g = 0; g < 12; ++g) {
        registerInternalUnitDatabase(u"snail", [] { return Model(); });
        removeInternalUnitDatabase(u"snail");
    }
    done = true;
    for (auto& client : clients) {
        client.join();
    }
    EXPECT_FALSE(failed);
    registerInternalUnitDatabase(u"snail", [] { return Model(); });
    quantities.initializeIfNeeded();
    EXPECT_TRUE(has(quantities.getMatching({{u"length", 1}, {u"time", -1}}), u"snail_pace"));
}

} // namespace
