// What reading a unit as people type it adds to a batch line: the tool's
// reading of one text, on texts the batch has seen before (a batch repeats
// its units) and already in the library's notation, or typed loosely; and on
// loose texts read for the first time.

#include "FriendlyInput.hpp"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

void readAll(benchmark::State& state, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        cvunits::readTypedUnit(text); // the table learns each text once
    }
    for (auto _ : state) {
        for (const std::string& text : texts) {
            benchmark::DoNotOptimize(cvunits::readTypedUnit(text));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}

void BM_ReadExactText(benchmark::State& state) {
    readAll(state, {"ft", "m", "degC", "km/h", "m/s", "kg*m/s^2", "N", "kW*h", "J", "mm^3", "L",
                    "g/cm^3", "kg/m^3", "m^(1/2)"});
}
BENCHMARK(BM_ReadExactText);

void BM_ReadTypedText(benchmark::State& state) {
    readAll(state, {"miles per hour", "feet", "kg m", "N m", "m·s⁻²", "m²", "L/100km", "kWh/100km",
                    "1000 m", "inches", "W/(kg K)", "hours"});
}
BENCHMARK(BM_ReadTypedText);

// Every text new: "1 miles per hour", "2 miles per hour", ...
void BM_ReadNewTypedText(benchmark::State& state) {
    std::int64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvunits::readTypedUnit(std::to_string(++n) + " miles per hour"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadNewTypedText);

} // namespace
