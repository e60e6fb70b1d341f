#include "units/db/UnitDatabase.hpp"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>

namespace {

using namespace CvUnitSys;

// A copy of the built-in database, loaded from its file like the singleton.
std::unique_ptr<UnitDatabase> loadBuiltinCopy() {
    auto db = UnitDatabase::createNewDatabase(UnitDatabase::builtinPath(), DatabaseSource::Builtin);
    db->loadIfNeeded();
    return db;
}

double entityCount(const UnitDatabase& db) {
    return static_cast<double>(db.getNumUnits() + db.getNumPhysicalQuantities() +
                               db.getNumPrefixes());
}

// Opening the package, copying its part, running every query and building
// every entity. The singleton is loaded first: prefixes look their systems up
// in it.
void BM_LoadBuiltinDatabase(benchmark::State& state) {
    UnitDatabase::getUnitDatabase();
    double entities = 0;
    for (auto _ : state) {
        auto db = loadBuiltinCopy();
        entities = entityCount(*db);
        benchmark::DoNotOptimize(db);
    }
    state.counters["entities"] = entities;
}

BENCHMARK(BM_LoadBuiltinDatabase)->Unit(benchmark::kMillisecond);

// What a loaded built-in database keeps on the heap, measured as the growth of
// the allocator's bytes in use across one load.
void BM_BuiltinDatabaseMemory(benchmark::State& state) {
    UnitDatabase::getUnitDatabase();
    double bytes = 0;
    double entities = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto db = loadBuiltinCopy();
        bytes = static_cast<double>(mallinfo2().uordblks - before);
        entities = entityCount(*db);
        benchmark::DoNotOptimize(db);
    }
    state.counters["bytes"] = bytes;
    state.counters["entities"] = entities;
    state.counters["bytes_per_entity"] = bytes / entities;
}

BENCHMARK(BM_BuiltinDatabaseMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_GetBuiltinUnit(benchmark::State& state, const ustring& text) {
    const UnitDatabase& db = *UnitDatabase::getUnitDatabase();
    if (db.getUnit(text).empty()) {
        state.SkipWithError("not in the built-in database");
        return;
    }
    for (auto _ : state) {
        auto found = db.getUnit(text);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_GetBuiltinUnit, Metre, u"m");
BENCHMARK_CAPTURE(BM_GetBuiltinUnit, Foot, u"ft");
BENCHMARK_CAPTURE(BM_GetBuiltinUnit, DegreeCelsiusAscii, u"degC");
BENCHMARK_CAPTURE(BM_GetBuiltinUnit, Name, u"kelvin");
BENCHMARK_CAPTURE(BM_GetBuiltinUnit, Kilometre, u"km");
BENCHMARK_CAPTURE(BM_GetBuiltinUnit, Microfarad, u"uF");

} // namespace
