#include "units/db/UnitDatabase.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace CvUnitSys;

// A database of `units` units over built-in ones, every tenth in terms of the
// one before it, each citing a source.
std::string generatedDocument(std::int64_t units) {
    std::string text = "<unitDatabase name=\"generated\">\n"
                       "  <provenance id=\"P\" title=\"Generated\" year=\"2025\"/>\n"
                       "  <physicalQuantity name=\"gen_speed\" definition=\"length/time\"/>\n";
    for (std::int64_t i = 0; i < units; ++i) {
        const std::string n = std::to_string(i);
        const std::string definition = i % 10 == 9 ? "g" + std::to_string(i - 1) : "m/s";
        text += "  <unit name=\"gen_unit_" + n + "\" symbol=\"g" + n + "\" definition=\"" +
                definition + "\" physicalQuantity=\"gen_speed\" factor=\"" + n +
                "1,7\" factorKind=\"rational\"><provenance ref=\"P\"/></unit>\n";
    }
    return text + "</unitDatabase>\n";
}

void BM_ReadUserDatabaseDocument(benchmark::State& state) {
    const std::string text = generatedDocument(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(UnitRepositoryReader::readDocument(text, "generated.xml"));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

BENCHMARK(BM_ReadUserDatabaseDocument)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);

// Checking and storing every entry of a model already read.
void BM_LoadUserDatabaseModel(benchmark::State& state) {
    UnitDatabase::getUnitDatabase();
    const Model model =
        UnitRepositoryReader::readDocument(generatedDocument(state.range(0)), "generated.xml");
    for (auto _ : state) {
        auto db = UnitDatabase::createNewDatabase(u"generated.xml", DatabaseSource::UserFile);
        db->loadFromModel(model);
        benchmark::DoNotOptimize(db);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_LoadUserDatabaseModel)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
