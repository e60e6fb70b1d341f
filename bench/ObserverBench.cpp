#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/host/RhodexUnitsObserver.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace CvUnitSys;

// The observer classifies 1,000 reported units (prefixed ones among them) again after the databases
// changed: its set rebuilds on the new version, then each unit is matched.
void BM_RenotifyAllAfterDatabaseChange(benchmark::State& state) {
    RhodexUnitsObserver& observer = getRhodexUnitsObserver();
    observer.clearAll();
    // Beside the unit "1" that is always there.
    for (const UnitBase& unit : UnitDatabase::getUnitDatabase()->getAllPossibleUnitsInDatabase()) {
        if (observer.getNotifiedUnits().size() == 1001) {
            break;
        }
        observer.notify(ustring(unit.getSymbol()), ustring(unit.getSymbol()), 1.0, 0.0);
    }
    for (auto _ : state) {
        state.PauseTiming();
        observer.setUnitDatabaseInitialized(false);
        UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
        state.ResumeTiming();
        observer.setUnitDatabaseInitialized(true);
    }
    state.counters["units"] = static_cast<double>(observer.getNotifiedUnits().size());
    observer.clearAll();
}
BENCHMARK(BM_RenotifyAllAfterDatabaseChange)->Unit(benchmark::kMillisecond);

} // namespace
