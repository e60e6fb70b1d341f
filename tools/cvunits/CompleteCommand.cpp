#include "Command.hpp"
#include "SuggestionEntries.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/platform/TextServices.hpp"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;

int completeCommand(const CommandContext& ctx) {
    const auto args = readSuggestionArgs(ctx.args, 20, {});
    if (!args) {
        return exitUsage;
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    const AutoCompletionResult result =
        set.getAutoCompleteSuggestions(TextServices::fromUtf8(args->text));
    const std::size_t shown =
        args->limit == 0 ? result.units.size() : std::min(args->limit, result.units.size());
    if (ctx.json) {
        auto suggestions = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < shown; ++i) {
            suggestions.push_back(describeEntry(result.units[i]));
        }
        ctx.out << nlohmann::ordered_json{{"text", args->text},
                                          {"completes", TextServices::toUtf8(result.text)},
                                          {"total", result.units.size()},
                                          {"suggestions", suggestions}}
                       .dump(2)
                << '\n';
        return exitSuccess;
    }
    ctx.out << "completes: " << TextServices::toUtf8(result.text) << '\n';
    for (std::size_t i = 0; i < shown; ++i) {
        ctx.out << entryLine(result.units[i]) << '\n';
    }
    if (shown < result.units.size()) {
        ctx.out << "... and " << result.units.size() - shown << " more (--limit 0 shows all)\n";
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"complete",
     "TEXT [--limit N]",
     "what an editor offers while a unit text is typed: the word at the end of TEXT\n"
     "is completed to units (or to physical quantities after '@'), those that unit\n"
     "definitions use beside the symbols already typed first. 'completes' is the\n"
     "text before that word; each suggestion is printed with its symbol, name,\n"
     "physical quantity and kind. At most N suggestions are shown (20 by default,\n"
     "0 for all).",
     {"cvunits complete 'kg*m/s^'", "cvunits complete km", "cvunits complete degC@thermo",
      "cvunits --json complete 'N*m'"},
     completeCommand}};

} // namespace
} // namespace cvunits
