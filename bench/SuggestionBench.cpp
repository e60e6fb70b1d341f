#include "tests/db/DbSetFixtures.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace dbset_test;

// Unit texts as people type them most: the base units, everyday derived and
// customary units and a few compound texts.
const std::vector<ustring> commonTexts = {
    u"m",  u"kg",  u"s",   u"A",   u"K",   u"mol", u"cd",  u"km",   u"cm",  u"mm",
    u"g",  u"min", u"h",   u"Hz",  u"N",   u"Pa",  u"J",   u"W",    u"V",   u"degC",
    u"ft", u"in",  u"lbf", u"psi", u"mph", u"rad", u"m/s", u"km/h", u"N*m", u"kg*m/s^2"};

// Misspelt words of 5 to 8 characters.
const std::vector<ustring> misspellings = {
    u"meeter", u"kilogam",  u"secnd",   u"newtn", u"pascl",    u"kilometr", u"celcius", u"galon",
    u"ounse",  u"milimetr", u"amphere", u"kelvn", u"candella", u"hertzz",   u"jouls",   u"wattss"};

// Times each call of `ask` over the inputs, `rounds` times; reports the median
// over inputs of each input's median time, and the slowest input's median.
template <typename Ask>
void timeEach(benchmark::State& state, const std::vector<ustring>& inputs, const Ask& ask) {
    std::vector<std::vector<double>> times(inputs.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(ask(inputs[i]));
            times[i].push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::nth_element(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(t.size() / 2), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    std::sort(medians.begin(), medians.end());
    state.counters["median_us"] = medians[medians.size() / 2];
    state.counters["worst_us"] = medians.back();
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}

// Every keystroke of typing each common text: its first character, its first
// two, and so on.
void BM_CompletionPerKeystroke(benchmark::State& state) {
    std::vector<ustring> keystrokes;
    for (const ustring& text : commonTexts) {
        for (std::size_t n = 1; n <= text.size(); ++n) {
            keystrokes.push_back(text.substr(0, n));
        }
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    timeEach(state, keystrokes,
             [&set](const ustring& typed) { return set.getAutoCompleteSuggestions(typed); });
}
BENCHMARK(BM_CompletionPerKeystroke)->Unit(benchmark::kMillisecond);

void BM_ApproximateSuggestion(benchmark::State& state) {
    UnitDBSet set;
    set.initializeIfNeeded();
    timeEach(state, misspellings, [&set](const ustring& word) {
        return set.getApproximateSuggestion(word, UnitBase::UNIT_TYPE_UNIT);
    });
}
BENCHMARK(BM_ApproximateSuggestion)->Unit(benchmark::kMillisecond);

} // namespace
