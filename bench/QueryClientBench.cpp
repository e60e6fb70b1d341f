// The query client's questions that scripts ask in loops: whether two texts it
// has already registered convert (UDUNITS-2's ut_are_convertible on units it
// has already parsed as the yardstick), and the full list of units as an
// array of objects.
#include "units/host/CvUnitQueryClient.hpp"
#include "units/host/ScriptingClassRegistration.hpp"
#include "units/query/UnitQueryClient.hpp"

#include <benchmark/benchmark.h>
#include <string>
#include <utility>
#include <vector>

#ifdef CV_UNITS_BENCH_UDUNITS2
#include <udunits2.h>
#endif

namespace {

using namespace CvUnitSys;

// Convertible and unrelated pairs, of the shapes scripts compare.
const std::vector<std::pair<std::string, std::string>>& pairs() {
    static const std::vector<std::pair<std::string, std::string>> list{
        {"km/h", "m/s"}, {"N*m", "J"}, {"degC", "K"},     {"ft", "m"},
        {"m", "s"},      {"W", "J/s"}, {"kg*m/s^2", "N"}, {"mm", "kg"},
        {"Pa", "N/m^2"}, {"V*A", "W"}, {"km", "h"},       {"mol/s", "A"}};
    return list;
}

void areConvertibleOnRegisteredTexts(benchmark::State& state) {
    std::vector<std::pair<ustring, ustring>> texts;
    UnitQueryClient client;
    for (const auto& [a, b] : pairs()) {
        texts.emplace_back(ustring(a.begin(), a.end()), ustring(b.begin(), b.end()));
        client.areConvertible(texts.back().first, texts.back().second);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [a, b] = texts[i++ % texts.size()];
        benchmark::DoNotOptimize(client.areConvertible(a, b));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(areConvertibleOnRegisteredTexts);

#ifdef CV_UNITS_BENCH_UDUNITS2
void udunits2AreConvertibleOnParsedUnits(benchmark::State& state) {
    ut_set_error_message_handler(ut_ignore);
    ut_system* system = ut_read_xml(nullptr);
    if (system == nullptr) {
        state.SkipWithError("UDUNITS-2 found no unit database");
        return;
    }
    std::vector<std::pair<ut_unit*, ut_unit*>> units;
    for (const auto& [a, b] : pairs()) {
        units.emplace_back(ut_parse(system, a.c_str(), UT_ASCII),
                           ut_parse(system, b.c_str(), UT_ASCII));
        if (units.back().first == nullptr || units.back().second == nullptr) {
            state.SkipWithError(("UDUNITS-2 cannot parse " + a + " or " + b).c_str());
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [a, b] = units[i++ % units.size()];
        benchmark::DoNotOptimize(ut_are_convertible(a, b));
    }
    state.SetItemsProcessed(state.iterations());
    for (const auto& [a, b] : units) {
        ut_free(a);
        ut_free(b);
    }
    ut_free_system(system);
}
BENCHMARK(udunits2AreConvertibleOnParsedUnits);
#endif

void fullListOfUnitsAsObjects(benchmark::State& state) {
    objsys::COSNamespace* ns = cvsvGetCorvaneCOSNamespace();
    registerCvUnit(ns);
    UnitQueryClient client;
    std::size_t count = 0;
    for (auto _ : state) {
        const matrix::unique_array list = client.getFullListOfAvailableUnits();
        count = list->getNumberOfElements();
        benchmark::DoNotOptimize(list.get());
    }
    state.counters["units"] = static_cast<double>(count);
}
BENCHMARK(fullListOfUnitsAsObjects)->Unit(benchmark::kMillisecond);

} // namespace
