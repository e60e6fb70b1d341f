#include "tests/db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace dbset_test;

// Every unit the built-in database stores (prefixed units are composed on demand).
std::vector<std::reference_wrapper<const UnitBase>> builtinUnits() {
    const auto all = UnitDatabase::getBuiltinDatabase()->getAllUnits();
    return {all.begin(), all.end()};
}

void BM_DefineBuiltinUnitsCold(benchmark::State& state) {
    WarningSink::setHandler([](const Diagnostic&) {});
    const auto units = builtinUnits();
    for (auto _ : state) {
        UnitDBSet set;
        set.initializeIfNeeded();
        for (const UnitBase& unit : units) {
            set.genUnitDefinition(unit);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(units.size()));
}
BENCHMARK(BM_DefineBuiltinUnitsCold)->Unit(benchmark::kMillisecond);

void BM_DefineBuiltinUnitsCached(benchmark::State& state) {
    const auto units = builtinUnits();
    UnitDBSet set;
    set.initializeIfNeeded();
    for (const UnitBase& unit : units) {
        set.genUnitDefinition(unit);
    }
    for (auto _ : state) {
        for (const UnitBase& unit : units) {
            set.genUnitDefinition(unit);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(units.size()));
}
BENCHMARK(BM_DefineBuiltinUnitsCached)->Unit(benchmark::kMillisecond);

// Equivalence and the conversion factor between two cached definitions.
void BM_CompareAndConvertDefinitions(benchmark::State& state, const ustring& from,
                                     const ustring& to) {
    UnitDBSet set;
    set.initializeIfNeeded();
    const UnitBase& a = set.getUnit(from);
    const UnitBase& b = set.getUnit(to);
    set.genUnitDefinition(a);
    set.genUnitDefinition(b);
    const UnitDefinition& da = set.getUnitDefinition(a);
    const UnitDefinition& db = set.getUnitDefinition(b);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnitDefinition::equivalent(da, db, UseSimplifiedExpo));
        auto factor = UnitDefinition::calculateConversionFactor(std::nullopt, da, db, &set);
        benchmark::DoNotOptimize(factor);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_CompareAndConvertDefinitions, ft_m, u"ft", u"m");
BENCHMARK_CAPTURE(BM_CompareAndConvertDefinitions, N_lbf, u"N", u"lbf");
BENCHMARK_CAPTURE(BM_CompareAndConvertDefinitions, degC_degF, u"degC", u"degF");

// The set's own answer for two entities: quantities, special relations, definitions.
void BM_SetConversionInfo(benchmark::State& state) {
    UnitDBSet set;
    set.initializeIfNeeded();
    const UnitBase& a = set.getUnit(u"ft");
    const UnitBase& b = set.getUnit(u"m");
    for (auto _ : state) {
        auto info = set.getConversionInfo(a, b);
        benchmark::DoNotOptimize(info);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetConversionInfo);

Content generatedUserDatabase(int k, int version) {
    const ustring system = u"bench" + TextServices::fromUtf8(std::to_string(k));
    Content content{{}, {}, system};
    for (int i = 0; i < 200; ++i) {
        const ustring n = TextServices::fromUtf8(std::to_string(i + version));
        content.units.push_back(
            {system + u"_u" + n,
             u"m",
             u"length",
             {TextServices::fromUtf8(std::to_string(i + 1)), ConversionFactorType::Double}});
    }
    return content;
}

// Replacing one of ten user databases of 200 units: the host's change with
// validation and duplicate detection, then a client set's rebuild.
void BM_RebuildAfterUserDatabaseChange(benchmark::State& state) {
    WarningSink::setHandler([](const Diagnostic&) {});
    Universe universe;
    for (int k = 0; k < 10; ++k) {
        universe.add(u"bench" + TextServices::fromUtf8(std::to_string(k)),
                     generatedUserDatabase(k, 0));
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    int version = 0;
    for (auto _ : state) {
        universe.add(u"bench0", generatedUserDatabase(0, ++version % 2));
        set.initializeIfNeeded();
        set.genUnitDefinition(set.getUnit(u"bench3_u7"));
    }
}
BENCHMARK(BM_RebuildAfterUserDatabaseChange)->Unit(benchmark::kMillisecond);

} // namespace
