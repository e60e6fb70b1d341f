// Registering a user database of 10,000 units with the manager: loading its
// model, validating every unit and looking for duplicates. Three shapes: units
// defined by built-in ones, a chain in which each is defined by the next, and
// one ring, which validation names and removes.
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/platform/UnitRepositoryReader.hpp"
#include "units/platform/WarningSink.hpp"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace CvUnitSys;

enum Shape { Flat, Chained, Ring };

std::string document(Shape shape, int units) {
    std::string text = "<unitDatabase name=\"shapes\">\n";
    for (int i = 0; i < units; ++i) {
        const std::string n = std::to_string(i);
        std::string definition = "m/s";
        if (shape == Chained) {
            definition = i + 1 < units ? "v" + std::to_string(i + 1) : "m/s";
        } else if (shape == Ring) {
            definition = "v" + std::to_string((i + 1) % units);
        }
        text += "  <unit name=\"v_" + n + "\" symbol=\"v" + n + "\" definition=\"" + definition +
                "\" factor=\"1.5\"/>\n";
    }
    return text + "</unitDatabase>\n";
}

void BM_RegisterUserDatabase(benchmark::State& state) {
    UnitDatabase::getUnitDatabase();
    const Model model = UnitRepositoryReader::readDocument(
        document(static_cast<Shape>(state.range(0)), static_cast<int>(state.range(1))),
        "shapes.xml");
    // The ring's removals are reported; the report is not what is measured.
    WarningCollector quiet;
    for (auto _ : state) {
        registerInternalUnitDatabase(u"shapes.xml", [model] { return model; });
        state.PauseTiming();
        removeInternalUnitDatabase(u"shapes.xml");
        quiet.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}

BENCHMARK(BM_RegisterUserDatabase)
    ->ArgNames({"shape", "units"})
    ->Args({Flat, 10000})
    ->Args({Chained, 10000})
    ->Args({Ring, 10000})
    ->Unit(benchmark::kMillisecond);

} // namespace
