// Filling the two reduction maps from the built-in database, as the first
// propagation or similar-units request of a process does.

#include "units/db/NoScalingUnitReductionMap.hpp"
#include "units/db/PhysicalQuantityReductionMap.hpp"
#include "units/db/UnitDBSet.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace CvUnitSys;

void BM_FillPhysicalQuantityReductionMap(benchmark::State& state) {
    UnitDatabase::getBuiltinDatabase();
    std::size_t quantities = 0;
    for (auto _ : state) {
        PhysicalQuantityReductionMap map;
        map.initializeIfNeeded();
        quantities = map.getMatching({{u"length", 1}, {u"time", -1}}).size();
        benchmark::DoNotOptimize(map);
    }
    state.counters["velocity_matches"] = static_cast<double>(quantities);
}

BENCHMARK(BM_FillPhysicalQuantityReductionMap)->Unit(benchmark::kMillisecond);

// A fresh set each time, so every unit's definition is generated as in a new
// client rather than read from the set's cache.
void BM_FillNoScalingUnitReductionMap(benchmark::State& state) {
    UnitDatabase::getBuiltinDatabase();
    for (auto _ : state) {
        UnitDBSet set;
        NoScalingUnitReductionMap map;
        map.initializeIfNeeded(set);
        benchmark::DoNotOptimize(map);
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    state.counters["units"] = static_cast<double>(set.getAllUnits().size());
}

BENCHMARK(BM_FillNoScalingUnitReductionMap)->Unit(benchmark::kMillisecond);

} // namespace
