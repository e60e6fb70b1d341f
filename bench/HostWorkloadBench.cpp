// The work a host waits for, each figure beside UDUNITS-2 doing the same work
// on the same texts in the same run: parsing a text, answering a pair of
// registered texts with its conversion, the first sight of a text, a pair that
// does not convert; and the heap a registered unit keeps.
//
// The corpus is generated from the built-in database: units and prefixed
// units, products and quotients of two to four of them with powers. Each text
// comes with a partner of the same shape and dimension, so that every text
// belongs to exactly one convertible pair. Texts with rational exponents,
// which UDUNITS-2 cannot read, are timed for this library alone.
//
// Each iteration is one pass over the corpus; the UDUNITS-2 pass runs with the
// benchmark's timer paused and both are timed in thread CPU time, so that the
// ratio (UDUNITS-2 time over ours, above 1 when we are faster) holds on a
// loaded machine.

#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/model/UnitDefinition.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#ifdef CV_UNITS_BENCH_UDUNITS2
#include <udunits2.h>
#endif

namespace {

using namespace CvUnitSys;

struct Text {
    std::string utf8;
    ustring utf16;
};

struct Corpus {
    std::vector<Text> texts;
    // Indexes into texts.
    std::vector<std::pair<std::size_t, std::size_t>> convertible;
    std::vector<std::pair<std::size_t, std::size_t>> notConvertible;
    std::vector<Text> rational;
};

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

#ifdef CV_UNITS_BENCH_UDUNITS2
ut_system* udunits() {
    static ut_system* const system = [] {
        ut_set_error_message_handler(ut_ignore);
        return ut_read_xml(nullptr);
    }();
    return system;
}

bool udunitsParses(const std::string& text) {
    ut_unit* unit = ut_parse(udunits(), text.c_str(), UT_ASCII);
    ut_free(unit);
    return unit != nullptr;
}

// The scale from a to b, or nothing when UDUNITS-2 does not convert them.
std::optional<double> udunitsScale(const std::string& a, const std::string& b) {
    ut_unit* from = ut_parse(udunits(), a.c_str(), UT_ASCII);
    ut_unit* to = ut_parse(udunits(), b.c_str(), UT_ASCII);
    cv_converter* converter = ut_get_converter(from, to);
    std::optional<double> scale;
    if (converter != nullptr) {
        scale = cv_convert_double(converter, 1.0) - cv_convert_double(converter, 0.0);
    }
    cv_free(converter);
    ut_free(from);
    ut_free(to);
    return scale;
}
#endif

bool isIdentifier(std::u16string_view text) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    for (const char16_t c : text) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) {
            return false;
        }
    }
    return true;
}

// The exponents of the fundamental units, as a text that groups atoms by dimension.
std::string dimensionKey(UnitTable& table, std::int32_t id) {
    UnitDBSet& set = table.getUnitDBSetForQuery();
    const UnitBase& unit = *table.getUnit(id);
    std::map<std::string, double> exponents;
    for (const auto& [entity, exponent] :
         set.getUnitDefinition(unit).getFundamentalAST().getAST()) {
        exponents[TextServices::toUtf8(entity.get().getSymbol())] += exponent.getSimplifiedExpo();
    }
    std::string key;
    for (const auto& [symbol, exponent] : exponents) {
        if (exponent != 0.0) {
            key += symbol + std::to_string(exponent) + ' ';
        }
    }
    return key;
}

// Plain and prefixed units of the built-in database that both libraries read,
// grouped by dimension; only groups of two or more are kept.
std::vector<std::vector<std::string>> atomsByDimension() {
    UnitTable table;
    table.getUnitDBSetForQuery();
    std::map<std::string, std::vector<std::string>> groups;
    for (const UnitBase& unit : UnitDatabase::getUnitDatabase()->getAllPossibleUnitsInDatabase()) {
        const std::u16string_view symbol = unit.getAsciiSymbol();
        if (!isIdentifier(symbol)) {
            continue;
        }
        const std::string text = TextServices::toUtf8(symbol);
#ifdef CV_UNITS_BENCH_UDUNITS2
        if (!udunitsParses(text)) {
            continue;
        }
#endif
        const std::int32_t id = table.registerUnit(ustring(symbol), false, false);
        if (table.isUnitUnresolved(id)) {
            continue;
        }
        groups[dimensionKey(table, id)].push_back(text);
    }
    std::vector<std::vector<std::string>> out;
    for (auto& [key, atoms] : groups) {
        if (atoms.size() > 1) {
            out.push_back(std::move(atoms));
        }
    }
    return out;
}

// The scale between two texts by this library, or nothing when they do not convert.
std::optional<double> ourScale(UnitTable& table, const Text& a, const Text& b) {
    const std::int32_t x = table.registerUnit(a.utf16, false, false);
    const std::int32_t y = table.registerUnit(b.utf16, false, false);
    const auto outcome = table.tryConversionInfo(x, y);
    if (const auto* info = std::get_if<UnitNumericInfoForConversions>(&outcome)) {
        return info->getScalingFactor();
    }
    return std::nullopt;
}

const Corpus& corpus() {
    static const Corpus built = [] {
        constexpr std::size_t wantedPairs = 1200;
        const auto groups = atomsByDimension();
        std::mt19937 random(2026);
        const auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        const char* const powers[] = {"", "", "", "^2", "^3", "^-1"};
        const char* const rationals[] = {"^(1/2)", "^(3/2)", "^(-1/2)", "^(2/3)"};
        Corpus out;
        std::set<std::string> seen;
        UnitTable table;
        // Two texts of one shape: the same dimension in each factor.
        while (out.convertible.size() < wantedPairs) {
            const std::size_t factors = 1 + pick(4);
            std::string a;
            std::string b;
            for (std::size_t f = 0; f < factors; ++f) {
                const auto& group = groups[pick(groups.size())];
                const std::size_t i = pick(group.size());
                const std::size_t j = (i + 1 + pick(group.size() - 1)) % group.size();
                const std::string op = f == 0 ? "" : pick(3) == 0 ? "/" : "*";
                const std::string power = powers[pick(std::size(powers))];
                a += op + group[i] + power;
                b += op + group[j] + power;
            }
            if (factors == 1 && pick(3) == 0) {
                a = "1/" + a;
                b = "1/" + b;
            }
            if (seen.contains(a) || seen.contains(b) || a == b) {
                continue;
            }
            const Text ta{a, TextServices::fromUtf8(a)};
            const Text tb{b, TextServices::fromUtf8(b)};
            const std::optional<double> ours = ourScale(table, ta, tb);
            if (!ours) {
                continue;
            }
#ifdef CV_UNITS_BENCH_UDUNITS2
            // Both libraries must mean the same by both texts.
            const std::optional<double> theirs = udunitsScale(a, b);
            if (!theirs || std::abs(*theirs - *ours) > 1e-6 * std::abs(*ours)) {
                continue;
            }
#endif
            seen.insert(a);
            seen.insert(b);
            out.texts.push_back(ta);
            out.texts.push_back(tb);
            out.convertible.emplace_back(out.texts.size() - 2, out.texts.size() - 1);
            if (out.rational.size() < wantedPairs / 4 && factors > 1) {
                const std::string r = a + rationals[pick(std::size(rationals))];
                out.rational.push_back({r, TextServices::fromUtf8(r)});
            }
        }
        // Texts of neighbouring pairs that neither library converts.
        for (std::size_t i = 0; i + 2 < out.texts.size(); i += 2) {
            const Text& a = out.texts[i];
            const Text& b = out.texts[i + 3];
            if (ourScale(table, a, b)) {
                continue;
            }
#ifdef CV_UNITS_BENCH_UDUNITS2
            if (udunitsScale(a.utf8, b.utf8)) {
                continue;
            }
#endif
            out.notConvertible.emplace_back(i, i + 3);
        }
        return out;
    }();
    return built;
}

// A table whose databases are loaded and indexed, with nothing registered.
std::unique_ptr<UnitTable> freshTable() {
    auto table = std::make_unique<UnitTable>();
    table->getUnitDBSetForQuery();
    return table;
}

void registerAll(UnitTable& table, const Corpus& c) {
    for (const Text& text : c.texts) {
        table.registerUnit(text.utf16, false, false);
    }
}

// Runs `ours` as the timed pass and `theirs` beside it, and reports both per
// item; `prepare`, when given, runs before each pass outside the timing.
void compare(benchmark::State& state, std::size_t items, const std::function<void()>& ours,
             [[maybe_unused]] const std::function<void()>& theirs,
             const std::function<void()>& prepare = {}) {
    double oursSeconds = 0;
    double theirSeconds = 0;
    for (auto _ : state) {
        if (prepare) {
            state.PauseTiming();
            prepare();
            state.ResumeTiming();
        }
        const double start = threadSeconds();
        ours();
        oursSeconds += threadSeconds() - start;
#ifdef CV_UNITS_BENCH_UDUNITS2
        state.PauseTiming();
        const double theirStart = threadSeconds();
        theirs();
        theirSeconds += threadSeconds() - theirStart;
        state.ResumeTiming();
#endif
    }
    const auto total = static_cast<double>(state.iterations() * items);
    state.SetItemsProcessed(static_cast<std::int64_t>(total));
    state.counters["ns_ours"] = oursSeconds / total * 1e9;
    if (theirSeconds > 0) {
        state.counters["ns_udunits"] = theirSeconds / total * 1e9;
        state.counters["ratio"] = theirSeconds / oursSeconds;
    }
}

#ifdef CV_UNITS_BENCH_UDUNITS2
// UDUNITS-2 answering a pair of texts: parse both, make the converter.
bool udunitsPair(const Text& a, const Text& b) {
    ut_unit* from = ut_parse(udunits(), a.utf8.c_str(), UT_ASCII);
    ut_unit* to = ut_parse(udunits(), b.utf8.c_str(), UT_ASCII);
    cv_converter* converter = ut_get_converter(from, to);
    const bool converts = converter != nullptr;
    if (converts) {
        benchmark::DoNotOptimize(cv_convert_double(converter, 1.0));
    }
    cv_free(converter);
    ut_free(from);
    ut_free(to);
    return converts;
}

void udunitsPairs(const Corpus& c, const std::vector<std::pair<std::size_t, std::size_t>>& pairs) {
    for (const auto& [a, b] : pairs) {
        benchmark::DoNotOptimize(udunitsPair(c.texts[a], c.texts[b]));
    }
}
#else
void udunitsPairs(const Corpus&, const std::vector<std::pair<std::size_t, std::size_t>>&) {}
#endif

// What a host does with each convertible pair: register both texts (a look-up
// once the table holds them) and ask for the conversion.
void convertPairs(UnitTable& table, const Corpus& c) {
    for (const auto& [a, b] : c.convertible) {
        const std::int32_t x = table.registerUnit(c.texts[a].utf16, false, false);
        const std::int32_t y = table.registerUnit(c.texts[b].utf16, false, false);
        benchmark::DoNotOptimize(table.getConversionInfo(x, y).getScalingFactor());
    }
}

void parseText(benchmark::State& state) {
    const Corpus& c = corpus();
    compare(
        state, c.texts.size(),
        [&] {
            for (const Text& text : c.texts) {
                UnitExpr out;
                parseUnitExprThrows(text.utf16, out);
                benchmark::DoNotOptimize(out);
            }
        },
        [&] {
#ifdef CV_UNITS_BENCH_UDUNITS2
            for (const Text& text : c.texts) {
                ut_unit* unit = ut_parse(udunits(), text.utf8.c_str(), UT_ASCII);
                benchmark::DoNotOptimize(unit);
                ut_free(unit);
            }
#endif
        });
    state.counters["texts"] = static_cast<double>(c.texts.size());
}
BENCHMARK(parseText);

// The host asks again about texts its table holds: a look-up of each text and
// the conversion between them.
void registeredPair(benchmark::State& state) {
    const Corpus& c = corpus();
    auto table = freshTable();
    registerAll(*table, c);
    compare(
        state, c.convertible.size(), [&] { convertPairs(*table, c); },
        [&] { udunitsPairs(c, c.convertible); });
}
BENCHMARK(registeredPair);

// A model loads: every text is new to its table. The table is made and its
// databases loaded outside the timing.
void firstSightPair(benchmark::State& state) {
    const Corpus& c = corpus();
    std::unique_ptr<UnitTable> table;
    compare(
        state, c.convertible.size(), [&] { convertPairs(*table, c); },
        [&] { udunitsPairs(c, c.convertible); },
        [&] {
            table.reset();
            table = freshTable();
        });
}
BENCHMARK(firstSightPair)->Unit(benchmark::kMillisecond);

// Checking connections: registered texts that do not convert, answered with the
// comparison code and the diagnostic that says why.
void notConvertiblePair(benchmark::State& state) {
    const Corpus& c = corpus();
    auto table = freshTable();
    registerAll(*table, c);
    compare(
        state, c.notConvertible.size(),
        [&] {
            for (const auto& [a, b] : c.notConvertible) {
                const std::int32_t x = table->registerUnit(c.texts[a].utf16, false, false);
                const std::int32_t y = table->registerUnit(c.texts[b].utf16, false, false);
                const UnitComparison code = table->equivalentUnits(x, y);
                benchmark::DoNotOptimize(UnitTable::errorCause(code));
            }
        },
        [&] { udunitsPairs(c, c.notConvertible); });
    state.counters["pairs"] = static_cast<double>(c.notConvertible.size());
}
BENCHMARK(notConvertiblePair);

// Texts with rational exponents, which UDUNITS-2 does not read: first sight only.
void firstSightRational(benchmark::State& state) {
    const Corpus& c = corpus();
    std::unique_ptr<UnitTable> table;
    for (auto _ : state) {
        state.PauseTiming();
        table.reset();
        table = freshTable();
        state.ResumeTiming();
        for (const Text& text : c.rational) {
            benchmark::DoNotOptimize(table->registerUnit(text.utf16, false, false));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * c.rational.size()));
}
BENCHMARK(firstSightRational)->Unit(benchmark::kMillisecond);

// The characters of the registered units' texts and keys: each text once, and
// none a database unit holds, which a table's copy of it shares. A key of its
// own is a string, whose characters are on the heap only past its inline room.
std::size_t textHeap(UnitTable& table, const Corpus& c) {
    constexpr std::size_t inlineRoom = 7;
    std::unordered_set<const char16_t*> counted;
    std::size_t bytes = 0;
    const auto add = [&](std::u16string_view text, bool ownKey) {
        if (counted.insert(text.data()).second && (!ownKey || text.size() > inlineRoom)) {
            bytes += (text.size() + (ownKey ? 1 : 0)) * sizeof(char16_t);
        }
    };
    const UnitDBSet& set = table.getUnitDBSet();
    for (const Text& text : c.texts) {
        const std::int32_t id = table.getUnitId(text.utf16, true);
        const UnitBase& unit = *table.getUnit(id);
        const std::u16string_view key = table.getUserSpecifiedUnitExpr(id);
        add(key, key.data() != unit.getExpression().data());
        const auto inDatabase = set.findUnit(ustring(unit.getSymbol()));
        if (!inDatabase.empty() &&
            inDatabase.begin()->get().getSymbol().data() == unit.getSymbol().data()) {
            continue;
        }
        for (const auto getter :
             {&UnitBase::getName, &UnitBase::getSymbol, &UnitBase::getAsciiSymbol,
              &UnitBase::getDisplay, &UnitBase::getExpression}) {
            add((unit.*getter)(), false);
        }
    }
    return bytes;
}

// The heap one registered unit keeps, measured as the growth of the allocator's
// bytes in use; "beyond_texts" leaves out the heap of the unit's texts and key.
void memoryPerUnit(benchmark::State& state) {
    const Corpus& c = corpus();
    double perUnit = 0;
    double beyondTexts = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = freshTable();
        state.ResumeTiming();
        const std::size_t before = mallinfo2().uordblks;
        registerAll(*table, c);
        const std::size_t grown = mallinfo2().uordblks - before;
        const std::size_t texts = textHeap(*table, c);
        const auto n = static_cast<double>(c.texts.size());
        perUnit = static_cast<double>(grown) / n;
        beyondTexts = (static_cast<double>(grown) - static_cast<double>(texts)) / n;
    }
    state.counters["bytes_per_unit"] = perUnit;
    state.counters["beyond_texts"] = beyondTexts;
}
BENCHMARK(memoryPerUnit)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
