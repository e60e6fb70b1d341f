// Propagating units through expressions over registered ids, as a host does
// for every block of a model.

#include "units/db/UnitDBManager.hpp"
#include "units/propagation/UnitPropagationEngine.hpp"
#include "units/query/UnitTable.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace CvUnitSys;
using E = UnitMathExpression;

struct Propagation {
    UnitTable table;
    UnitHeuristicManager heuristics;
    NoScalingUnitReductionMap units;
    UnitPropagationEngine engine{&table,
                                 &UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap(),
                                 &units, &heuristics};

    E leaf(const ustring& text, std::int32_t operand) {
        return E(table.registerUnit(text, true, true), operand);
    }
    void propagate(const E& e, benchmark::State& state) {
        engine.init(e);
        const auto result = engine.propagate();
        if (result.first < 1) {
            state.SkipWithError("no result unit");
        }
    }
};

// p*V/(n*T); after the first run the result unit is registered already.
void BM_PropagateGasLawExpression(benchmark::State& state) {
    Propagation p;
    const E e = (p.leaf(u"kPa", 1) * p.leaf(u"L", 2)) / (p.leaf(u"mol", 3) * p.leaf(u"K", 4));
    p.propagate(e, state);
    for (auto _ : state) {
        p.propagate(e, state);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PropagateGasLawExpression);

void BM_PropagateSumOf1000Metres(benchmark::State& state) {
    Propagation p;
    E sum = p.leaf(u"m", 0);
    for (int i = 1; i < 1000; ++i) {
        sum = std::move(sum) + p.leaf(u"m", i);
    }
    p.propagate(sum, state);
    for (auto _ : state) {
        p.propagate(sum, state);
    }
}

BENCHMARK(BM_PropagateSumOf1000Metres)->Unit(benchmark::kMillisecond);

} // namespace
