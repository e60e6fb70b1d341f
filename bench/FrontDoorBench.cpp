// The front door: a converter applied to ten million values, and one-call
// conversions of texts the thread has seen, each beside UDUNITS-2 doing the
// same (ut_get_converter with cv_convert_doubles; ut_parse of both texts for
// every call, since it keeps nothing between calls).

#include "units/cv_units.hpp"

#include <benchmark/benchmark.h>
#include <string>
#include <utility>
#include <vector>

#ifdef CV_UNITS_BENCH_UDUNITS2
#include <udunits2.h>
#endif

namespace {

constexpr std::size_t spanLength = 10'000'000;

std::vector<double> inputValues() {
    std::vector<double> values(spanLength);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<double>(i % 1000) * 0.25;
    }
    return values;
}

// Pairs of texts that both libraries convert, taken in turn.
const std::vector<std::pair<std::string, std::string>> seenPairs = {
    {"ft", "m"},   {"degC", "degF"}, {"km/h", "m/s"}, {"kg*m/s^2", "N"},
    {"kW*h", "J"}, {"mi", "km"},     {"bar", "Pa"},   {"g/cm^3", "kg/m^3"}};

void converterSpan(benchmark::State& state, const char* from, const char* to, bool inPlace) {
    const cv_units::Converter converter(from, to);
    std::vector<double> values = inputValues();
    std::vector<double> out(values.size());
    for (auto _ : state) {
        if (inPlace) {
            converter(values);
        } else {
            converter(values, out);
        }
        benchmark::DoNotOptimize(values.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * spanLength));
}
BENCHMARK_CAPTURE(converterSpan, ftToM, "ft", "m", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(converterSpan, ftToMInPlace, "ft", "m", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(converterSpan, degCToDegF, "degC", "degF", false)->Unit(benchmark::kMillisecond);

void convertSeenTexts(benchmark::State& state) {
    for (const auto& [from, to] : seenPairs) {
        benchmark::DoNotOptimize(cv_units::convert(1.0, from, to));
    }
    std::size_t i = 0;
    double value = 1.0;
    for (auto _ : state) {
        const auto& [from, to] = seenPairs[i++ % seenPairs.size()];
        value = cv_units::convert(value, from, to) * 1e-3 + 1.0;
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(convertSeenTexts);

#ifdef CV_UNITS_BENCH_UDUNITS2

ut_system* udunitsSystem() {
    static ut_system* system = [] {
        ut_set_error_message_handler(ut_ignore);
        return ut_read_xml(nullptr);
    }();
    return system;
}

void udunitsConvertDoubles(benchmark::State& state, const char* from, const char* to,
                           bool inPlace) {
    ut_system* system = udunitsSystem();
    ut_unit* a = system != nullptr ? ut_parse(system, from, UT_UTF8) : nullptr;
    ut_unit* b = system != nullptr ? ut_parse(system, to, UT_UTF8) : nullptr;
    cv_converter* converter = a != nullptr && b != nullptr ? ut_get_converter(a, b) : nullptr;
    if (converter == nullptr) {
        state.SkipWithError("UDUNITS-2 does not convert these units");
        return;
    }
    std::vector<double> values = inputValues();
    std::vector<double> out(values.size());
    for (auto _ : state) {
        cv_convert_doubles(converter, values.data(), values.size(),
                           inPlace ? values.data() : out.data());
        benchmark::DoNotOptimize(values.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * spanLength));
    cv_free(converter);
    ut_free(a);
    ut_free(b);
}
BENCHMARK_CAPTURE(udunitsConvertDoubles, ftToM, "ft", "m", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(udunitsConvertDoubles, ftToMInPlace, "ft", "m", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(udunitsConvertDoubles, degCToDegF, "degC", "degF", false)
    ->Unit(benchmark::kMillisecond);

void udunitsConvertSeenTexts(benchmark::State& state) {
    ut_system* system = udunitsSystem();
    if (system == nullptr) {
        state.SkipWithError("UDUNITS-2 found no unit database");
        return;
    }
    std::size_t i = 0;
    double value = 1.0;
    for (auto _ : state) {
        const auto& [from, to] = seenPairs[i++ % seenPairs.size()];
        ut_unit* a = ut_parse(system, from.c_str(), UT_UTF8);
        ut_unit* b = ut_parse(system, to.c_str(), UT_UTF8);
        cv_converter* converter = ut_get_converter(a, b);
        value = cv_convert_double(converter, value) * 1e-3 + 1.0;
        benchmark::DoNotOptimize(value);
        cv_free(converter);
        ut_free(a);
        ut_free(b);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(udunitsConvertSeenTexts);

#endif

} // namespace
