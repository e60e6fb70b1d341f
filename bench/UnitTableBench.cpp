#include "units/query/UnitTable.hpp"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

using namespace CvUnitSys;

// Distinct compound expressions over built-in units: the exponents spell the
// index in base 9, so no two texts are equal.
std::vector<ustring> compoundExpressions(std::size_t count) {
    static const char16_t* const symbols[] = {u"km", u"kg", u"s", u"A", u"K", u"mol"};
    std::vector<ustring> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        ustring text;
        std::size_t rest = i;
        for (std::size_t k = 0; k < std::size(symbols); ++k, rest /= 9) {
            if (k > 0) {
                text += k % 2 == 0 ? u'*' : u'/';
            }
            text += symbols[k];
            text += u'^';
            text += static_cast<char16_t>(u'1' + rest % 9);
        }
        out.push_back(std::move(text));
    }
    return out;
}

// Registers each text once into tables of at most `tableSize` units, a large
// model's worth: a table grown without bound would measure the memory system
// more than registration, and vary with the number of iterations.
void registerEachOnce(benchmark::State& state, const std::vector<ustring>& texts) {
    constexpr std::size_t tableSize = 10000;
    auto table = std::make_unique<UnitTable>();
    std::size_t next = 0;
    std::size_t inTable = 0;
    for (auto _ : state) {
        if (inTable == tableSize || next == texts.size()) {
            state.PauseTiming();
            table = std::make_unique<UnitTable>();
            inTable = 0;
            if (next == texts.size()) {
                next = 0;
            }
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(table->registerUnit(texts[next++], false, false));
        ++inTable;
    }
    state.SetItemsProcessed(state.iterations());
}

void registerNewCompoundExpressions(benchmark::State& state) {
    static const std::vector<ustring> texts = compoundExpressions(9 * 9 * 9 * 9 * 9 * 9);
    registerEachOnce(state, texts);
}
BENCHMARK(registerNewCompoundExpressions);

// The compound texts a model typically carries: two or three everyday units
// under one of a few shapes, each text distinct.
std::vector<ustring> everydayExpressions() {
    static const char16_t* const symbols[] = {
        u"m",   u"s",  u"kg", u"N",  u"J",   u"W",  u"Pa",  u"A",   u"V",   u"K",
        u"mol", u"Hz", u"km", u"h",  u"min", u"g",  u"L",   u"bar", u"rad", u"ft",
        u"lbf", u"in", u"mm", u"kW", u"ms",  u"mA", u"kPa", u"Ohm", u"C",   u"cd"};
    std::vector<ustring> out;
    for (const ustring a : symbols) {
        for (const ustring b : symbols) {
            if (b == a) {
                continue;
            }
            out.push_back(a + u"/" + b);
            out.push_back(a + u"/" + b + u"^2");
            for (const ustring c : symbols) {
                if (c != a && c != b) {
                    out.push_back(a + u"*" + b + u"/" + c);
                    out.push_back(a + u"*" + b + u"^2/" + c);
                }
            }
        }
    }
    return out;
}

void registerNewEverydayExpressions(benchmark::State& state) {
    static const std::vector<ustring> texts = everydayExpressions();
    registerEachOnce(state, texts);
}
BENCHMARK(registerNewEverydayExpressions);

void registerKnownExpressions(benchmark::State& state) {
    const std::vector<ustring> texts = compoundExpressions(1000);
    UnitTable table;
    for (const ustring& text : texts) {
        table.registerUnit(text, false, false);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.registerUnit(texts[next], false, false));
        next = next + 1 == texts.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(registerKnownExpressions);

void convertBetweenRegisteredIds(benchmark::State& state) {
    UnitTable table;
    const std::pair<const char16_t*, const char16_t*> pairs[] = {
        {u"ft", u"m"}, {u"km/h", u"m/s"}, {u"degC", u"degF"}, {u"kW*h", u"J"}, {u"Hz", u"s"}};
    std::vector<std::pair<std::int32_t, std::int32_t>> ids;
    for (const auto& [from, to] : pairs) {
        ids.emplace_back(table.registerUnit(from, true, false),
                         table.registerUnit(to, true, false));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& [from, to] = ids[next];
        benchmark::DoNotOptimize(table.getConversionInfo(from, to).getScalingFactor());
        next = next + 1 == ids.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(convertBetweenRegisteredIds);

} // namespace
