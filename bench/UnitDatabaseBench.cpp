#include "units/db/UnitDatabase.hpp"
#include "units/model/PhysicalQuantity.hpp"
#include "units/model/UnitFactory.hpp"

#include <array>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace CvUnitSys;

// The 24 decimal prefixes of the SI.
const std::array<std::pair<const char16_t*, const char16_t*>, 24> prefixTable = {{
    {u"quecto", u"q"}, {u"ronto", u"r"}, {u"yocto", u"y"}, {u"zepto", u"z"},  {u"atto", u"a"},
    {u"femto", u"f"},  {u"pico", u"p"},  {u"nano", u"n"},  {u"micro", u"u"},  {u"milli", u"m"},
    {u"centi", u"c"},  {u"deci", u"d"},  {u"deca", u"da"}, {u"hecto", u"h"},  {u"kilo", u"k"},
    {u"mega", u"M"},   {u"giga", u"G"},  {u"tera", u"T"},  {u"peta", u"P"},   {u"exa", u"E"},
    {u"zetta", u"Z"},  {u"yotta", u"Y"}, {u"ronna", u"R"}, {u"quetta", u"Q"},
}};

ustring letters(int i) {
    return {static_cast<char16_t>(u'a' + i / 26 % 26), static_cast<char16_t>(u'a' + i % 26)};
}

// About 500 units, each accepting every prefix; symbols "x<ab>", ASCII symbols "X<ab>".
struct GeneratedDatabase {
    GeneratedDatabase() {
        std::vector<std::reference_wrapper<const UnitPrefix>> prefixes;
        for (const auto& [name, symbol] : prefixTable) {
            prefixes.push_back(db->addUnitPrefix(
                UnitPrefix(name, symbol, symbol, symbol, defaultStoredConversionFactor())));
        }
        for (int i = 0; i < 500; ++i) {
            Unit unit(i, u"unit" + letters(i), u"unit" + letters(i), u"x" + letters(i),
                      u"X" + letters(i), u"x" + letters(i), defaultStoredConversionFactor(),
                      UnitFactory::getDefaultPhysicalQuantity());
            for (const UnitPrefix& prefix : prefixes) {
                unit.addPrefix(prefix);
            }
            db->addUnit(unit);
        }
    }
    std::unique_ptr<UnitDatabase> db =
        UnitDatabase::createNewDatabase(u"generated.db", DatabaseSource::UserFile);
};

const UnitDatabase& generated() {
    static GeneratedDatabase instance;
    return *instance.db;
}

void BM_GetUnit(benchmark::State& state, const ustring& text) {
    const UnitDatabase& db = generated();
    for (auto _ : state) {
        auto found = db.getUnit(text);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_GetUnit, Symbol, u"xmq");
BENCHMARK_CAPTURE(BM_GetUnit, AsciiSymbol, u"Xmq");
BENCHMARK_CAPTURE(BM_GetUnit, PrefixedCached, u"kxmq");

// Composition from scratch: the cache is emptied before each look-up.
void BM_GetUnitPrefixedFirstTime(benchmark::State& state) {
    auto& db = const_cast<UnitDatabase&>(generated());
    for (auto _ : state) {
        db.clearAllCompositeUnits();
        auto found = db.getUnit(u"kxmq");
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_GetUnitPrefixedFirstTime);

} // namespace
