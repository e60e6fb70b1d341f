// `cvunits convert --batch` on a million lines, and the same work done by
// UDUNITS-2 (ut_parse of both sides, ut_get_converter) as a yardstick.

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifdef CV_UNITS_BENCH_UDUNITS2
#include <udunits2.h>
#endif

extern char** environ;

namespace {

constexpr std::size_t batchLines = 1'000'000;

// Pairs that both libraries convert.
const std::vector<std::pair<std::string, std::string>>& pairs() {
    static const std::vector<std::pair<std::string, std::string>> list = {
        {"ft", "m"},    {"degC", "degF"}, {"km/h", "m/s"}, {"kg*m/s^2", "N"}, {"kW*h", "J"},
        {"mi", "km"},   {"lb", "kg"},     {"bar", "Pa"},   {"mm^3", "L"},     {"g/cm^3", "kg/m^3"},
        {"h", "s"},     {"min", "s"},     {"inch", "cm"},  {"ha", "m^2"},     {"atm", "Pa"},
        {"K", "degC"},  {"degF", "K"},    {"mg", "kg"},    {"ms", "s"},       {"MHz", "Hz"},
        {"kPa", "bar"}, {"mW", "W"},      {"GW", "W"},     {"cal", "J"}};
    return list;
}

// The input file, written once and removed at exit.
class BatchFile {
public:
    explicit BatchFile(std::size_t lines) {
        char name[] = "/tmp/cv_units_batch_XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            throw std::runtime_error("cannot create the batch input file");
        }
        path_ = name;
        std::mt19937 random(42);
        std::uniform_int_distribution<std::size_t> pick(0, pairs().size() - 1);
        std::string text;
        for (std::size_t i = 0; i < lines; ++i) {
            const auto& [from, to] = pairs()[pick(random)];
            text += from + '\t' + to + '\n';
        }
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            close(fd);
            throw std::runtime_error("cannot write the batch input file");
        }
        close(fd);
        text_ = std::move(text);
    }
    ~BatchFile() { std::remove(path_.c_str()); }
    BatchFile(const BatchFile&) = delete;
    BatchFile& operator=(const BatchFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& text() const { return text_; }

private:
    std::string path_;
    std::string text_;
};

const BatchFile& millionLines() {
    static const BatchFile file(batchLines);
    return file;
}

const BatchFile& noLines() {
    static const BatchFile file(0);
    return file;
}

// Runs the tool with `input` as standard input and its output discarded.
void runTool(const std::string& input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char tool[] = CVUNITS_TOOL;
    char command[] = "convert";
    char batch[] = "--batch";
    char* argv[] = {tool, command, batch, nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, tool, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("cvunits convert --batch failed");
    }
}

void timeTool(benchmark::State& state, const BatchFile& file, std::size_t lines) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        runTool(file.path());
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
}

void cvunitsBatchMillionLines(benchmark::State& state) {
    timeTool(state, millionLines(), batchLines);
}
BENCHMARK(cvunitsBatchMillionLines)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The fixed cost in the figure above: starting the tool and loading its database.
void cvunitsBatchStartup(benchmark::State& state) {
    timeTool(state, noLines(), 0);
}
BENCHMARK(cvunitsBatchStartup)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

#ifdef CV_UNITS_BENCH_UDUNITS2

// The same lines and the same output through UDUNITS-2, its database read
// inside the timing as the tool reads its own.
void udunitsBatchMillionLines(benchmark::State& state) {
    const std::string& text = millionLines().text();
    for (auto _ : state) {
        ut_set_error_message_handler(ut_ignore);
        ut_system* system = ut_read_xml(nullptr);
        if (system == nullptr) {
            state.SkipWithError("UDUNITS-2 found no unit database");
            return;
        }
        std::string out;
        char buffer[96];
        std::size_t begin = 0;
        while (begin < text.size()) {
            const std::size_t end = text.find('\n', begin);
            std::string line = text.substr(begin, end - begin);
            begin = end + 1;
            const std::size_t tab = line.find('\t');
            line[tab] = '\0';
            ut_unit* from = ut_parse(system, line.c_str(), UT_UTF8);
            ut_unit* to = ut_parse(system, line.c_str() + tab + 1, UT_UTF8);
            cv_converter* converter =
                from != nullptr && to != nullptr ? ut_get_converter(from, to) : nullptr;
            if (converter != nullptr) {
                const double offset = cv_convert_double(converter, 0.0);
                const double scale = cv_convert_double(converter, 1.0) - offset;
                std::snprintf(buffer, sizeof buffer, "%.17g\t%.17g\t0\n", scale, offset);
                out += buffer;
            } else {
                out += "error\n";
            }
            cv_free(converter);
            ut_free(from);
            ut_free(to);
        }
        benchmark::DoNotOptimize(out.data());
        ut_free_system(system);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batchLines));
}
// Wall-clock time, as the tool is timed.
BENCHMARK(udunitsBatchMillionLines)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

#endif

} // namespace
