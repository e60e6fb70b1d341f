// The interactive prompt: the time from a typed line to its answer once the
// first answer has loaded the databases, and the time TAB takes to complete.

#include "PromptSession.hpp"
#include "UnitCompletion.hpp"

#include <array>
#include <benchmark/benchmark.h>
#include <sstream>
#include <string>
#include <string_view>

namespace {

// Questions taken in turn, both in one line and in the two steps of the prompt.
constexpr std::array<std::string_view, 16> questions = {"3 ft in m",
                                                        "100 degC to degF",
                                                        "60 mi/h in km/h",
                                                        "2.5 kW*h in J",
                                                        "1 atm in psi",
                                                        "12 oz in g",
                                                        "5 bar in Pa",
                                                        "1 g/cm^3 in kg/m^3",
                                                        "-40 degC",
                                                        "degF",
                                                        "4 Hz",
                                                        "s",
                                                        "9.81 m/s^2",
                                                        "ft/s^2",
                                                        "1 hp",
                                                        "W"};

void promptAnswersAQuestion(benchmark::State& state) {
    std::ostringstream out;
    cvunits::PromptSession session(out);
    for (const std::string_view line : questions) {
        session.answer(line);
    }
    if (out.str().find("error") != std::string::npos) {
        state.SkipWithError(("a question is not answered: " + out.str()).c_str());
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        out.str({});
        session.answer(questions[next]);
        next = (next + 1) % questions.size();
        benchmark::DoNotOptimize(out.tellp());
    }
}
BENCHMARK(promptAnswersAQuestion)->Unit(benchmark::kMicrosecond);

constexpr std::array<std::string_view, 4> typed = {"3 ft in kilo", "kg*m/s", "100 deg",
                                                   "1 atm in ps"};

void promptCompletesAUnit(benchmark::State& state) {
    std::ostringstream out;
    const cvunits::PromptSession session(out);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvunits::completeUnitWord(session.databases(), typed[next]));
        next = (next + 1) % typed.size();
    }
}
BENCHMARK(promptCompletesAUnit)->Unit(benchmark::kMicrosecond);

} // namespace
