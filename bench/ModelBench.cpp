#include "units/model/EntityHashes.hpp"
#include "units/model/PhysicalQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitAST.hpp"
#include "units/model/UnitFactory.hpp"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

using namespace CvUnitSys;

namespace {

// A small catalogue shaped like a database: symbols that share leading
// characters, so comparisons walk into names and factors.
const std::vector<std::unique_ptr<Unit>>& catalogue() {
    static const std::vector<std::unique_ptr<Unit>> units = [] {
        const ustring symbols[] = {u"m",  u"mm",  u"min", u"mol", u"kg", u"K",   u"s",   u"A",
                                   u"cd", u"N",   u"Pa",  u"J",   u"W",  u"V",   u"ohm", u"Hz",
                                   u"ft", u"lbf", u"psi", u"bar", u"h",  u"rad", u"deg", u"L"};
        std::vector<std::unique_ptr<Unit>> out;
        for (std::size_t i = 0; i < 256; ++i) {
            const ustring& s = symbols[i % std::size(symbols)];
            const ustring tag(1, static_cast<char16_t>(u'a' + i / std::size(symbols)));
            out.push_back(std::make_unique<Unit>(
                static_cast<std::int32_t>(i), s + u"_unit_" + tag, s, s, s + tag, u"",
                StoredConversionFactor{u"1", ConversionFactorType::Double},
                UnitFactory::getDefaultPhysicalQuantity()));
        }
        return out;
    }();
    return units;
}

void BM_UnitCompare(benchmark::State& state) {
    const auto& units = catalogue();
    std::size_t i = 0;
    for (auto _ : state) {
        const Unit& a = *units[i % units.size()];
        const Unit& b = *units[(i * 7 + 3) % units.size()];
        benchmark::DoNotOptimize(a.compare(b));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnitCompare);

// Two objects with the same content: every step of the order runs.
void BM_UnitCompareEqualContent(benchmark::State& state) {
    const auto& units = catalogue();
    std::vector<std::unique_ptr<UnitBase>> copies;
    for (const auto& u : units) {
        copies.push_back(u->clone());
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(units[i % units.size()]->compare(*copies[i % units.size()]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnitCompareEqualContent);

void BM_UnitHash(benchmark::State& state) {
    const auto& units = catalogue();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnitHash{}(*units[i % units.size()]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnitHash);

void BM_PhysicalQuantityHash(benchmark::State& state) {
    const PhysicalQuantity pq(1, u"thermodynamic_temperature", u"Thermodynamic_Temperature",
                              u"thermodynamic\\_temperature", u"\u0398", u"Temp");
    for (auto _ : state) {
        benchmark::DoNotOptimize(PhysicalQuantityHash{}(pq));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PhysicalQuantityHash);

// kg*m^2/(s^3*A*K*mol), built twice from differently ordered terms and compared
// under both usages.
void BM_UnitASTBuildAndCompare(benchmark::State& state) {
    const auto& units = catalogue();
    const Unit* factors[] = {units[4].get(), units[0].get(), units[6].get(),
                             units[7].get(), units[5].get(), units[3].get()};
    const double powers[] = {1, 2, -3, -1, -1, -1};
    for (auto _ : state) {
        UnitAST a;
        UnitAST b;
        for (std::size_t k = 0; k < 6; ++k) {
            a.addToAST(*factors[k], powers[k]);
            b.addToAST(*factors[5 - k], powers[5 - k]);
        }
        benchmark::DoNotOptimize(a.equal(b, UseSimplifiedExpo));
        benchmark::DoNotOptimize(a.equal(b, UsePosNegExpo));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnitASTBuildAndCompare);

} // namespace
