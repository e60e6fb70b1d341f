#include "units/expr/ParseUnitExpr.hpp"

#include <benchmark/benchmark.h>
#include <cstddef>
#include <vector>

namespace {

const std::vector<ustring>& shortCorpus() {
    static const std::vector<ustring> corpus = [] {
        const ustring symbols[] = {u"m",   u"kg",  u"s",   u"A",   u"K",    u"mol", u"cd",  u"N",
                                   u"Pa",  u"J",   u"W",   u"V",   u"ohm",  u"Hz",  u"km",  u"h",
                                   u"min", u"ft",  u"lbf", u"psi", u"degC", u"rpm", u"mm",  u"ms",
                                   u"uF",  u"kWh", u"L",   u"g",   u"mA",   u"bar", u"rad", u"deg"};
        const std::size_t n = std::size(symbols);
        std::vector<ustring> out;
        for (std::size_t i = 0; out.size() < 1200; ++i) {
            const ustring& a = symbols[i % n];
            const ustring& b = symbols[(i * 7 + 3) % n];
            const ustring& c = symbols[(i * 13 + 5) % n];
            switch (i % 6) {
            case 0:
                out.push_back(a);
                break;
            case 1:
                out.push_back(a + u"/" + b);
                break;
            case 2:
                out.push_back(a + u"*" + b + u"/" + c + u"^2");
                break;
            case 3:
                out.push_back(u"1/" + a);
                break;
            case 4:
                out.push_back(a + u"^(1/2)");
                break;
            default:
                out.push_back(a + u"*" + b);
                break;
            }
        }
        return out;
    }();
    return corpus;
}

const std::vector<ustring>& longCorpus() {
    static const std::vector<ustring> corpus = [] {
        std::vector<ustring> out;
        const auto& shorts = shortCorpus();
        for (std::size_t i = 0; i + 5 < shorts.size() && out.size() < 1000; ++i) {
            out.push_back(u"(" + shorts[i] + u")*(" + shorts[i + 1] + u")/(" + shorts[i + 2] +
                          u"*" + shorts[i + 3] + u")^-1.5*" + shorts[i + 4] + u"^(2/3)");
        }
        return out;
    }();
    return corpus;
}

void parseCorpus(benchmark::State& state, const std::vector<ustring>& corpus) {
    std::size_t i = 0;
    for (auto _ : state) {
        UnitExpr out;
        parseUnitExprThrows(corpus[i], out);
        benchmark::DoNotOptimize(out);
        i = i + 1 == corpus.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ParseShortExpressions(benchmark::State& state) {
    parseCorpus(state, shortCorpus());
}
void BM_ParseLongExpressions(benchmark::State& state) {
    parseCorpus(state, longCorpus());
}

void BM_ParseErrors(benchmark::State& state) {
    const ustring bad = u"kg*m/s^";
    for (auto _ : state) {
        UnitExpr out;
        benchmark::DoNotOptimize(parseUnitExprNoThrow(bad, out));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SplitUnitComponents(benchmark::State& state) {
    const ustring text = u"degC@thermodynamic_temperature";
    ustring expr;
    ustring qualifier;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseExprForUnitComponents(text, expr, qualifier));
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_ParseShortExpressions);
BENCHMARK(BM_ParseLongExpressions);
BENCHMARK(BM_ParseErrors);
BENCHMARK(BM_SplitUnitComponents);

} // namespace
