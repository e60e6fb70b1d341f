#include "units/query/UnitTable.hpp"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using CvUnitSys::UnitTable;
using CvUnitSys::ustring;

// Tables on several threads meet the same prefixed units for the first time
// together, in different orders, so that they generate and share the
// built-in definitions at once; every conversion stays right.
TEST(SharedDefinitionsThreads, TablesDefiningTheSameUnitsTogetherAgree) {
    struct Prefix {
        ustring symbol;
        double factor;
    };
    const std::vector<Prefix> prefixes = {{u"k", 1e3},  {u"M", 1e6},  {u"G", 1e9},   {u"T", 1e12},
                                          {u"h", 1e2},  {u"da", 1e1}, {u"d", 1e-1},  {u"c", 1e-2},
                                          {u"m", 1e-3}, {u"n", 1e-9}, {u"p", 1e-12}, {u"f", 1e-15}};
    const std::vector<ustring> units = {u"m", u"s", u"g", u"A", u"mol", u"cd", u"Pa", u"J"};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            UnitTable table;
            for (std::size_t i = 0; i < prefixes.size() * units.size(); ++i) {
                const std::size_t k = (i * (2 * t + 1) + t) % (prefixes.size() * units.size());
                const Prefix& prefix = prefixes[k % prefixes.size()];
                const ustring& unit = units[k / prefixes.size()];
                const auto prefixed = table.registerUnit(prefix.symbol + unit, true, false);
                const auto plain = table.registerUnit(unit, true, false);
                const double scale = table.getConversionInfo(prefixed, plain).getScalingFactor();
                if (std::abs(scale / prefix.factor - 1) > 1e-12) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
