#include "Command.hpp"
#include "SuggestionEntries.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;

int suggestCommand(const CommandContext& ctx) {
    const auto args = readSuggestionArgs(ctx.args, 10, {"--quantity"});
    if (!args) {
        return exitUsage;
    }
    const bool quantity = !args->flags.empty();
    UnitDBSet set;
    set.initializeIfNeeded();
    std::vector<ustring> words = set.getApproximateSuggestion(
        TextServices::fromUtf8(args->text),
        quantity ? UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY : UnitBase::UNIT_TYPE_UNIT);
    const std::size_t total = words.size();
    if (args->limit != 0 && words.size() > args->limit) {
        words.resize(args->limit);
    }
    if (ctx.json) {
        auto suggestions = nlohmann::ordered_json::array();
        for (const ustring& word : words) {
            suggestions.push_back(TextServices::toUtf8(word));
        }
        ctx.out << nlohmann::ordered_json{{"text", args->text},
                                          {"kind", quantity ? "physical quantity" : "unit"},
                                          {"total", total},
                                          {"suggestions", suggestions}}
                       .dump(2)
                << '\n';
        return exitSuccess;
    }
    for (const ustring& word : words) {
        ctx.out << TextServices::toUtf8(word) << '\n';
    }
    if (words.size() < total) {
        ctx.out << "... and " << total - words.size() << " more (--limit 0 shows all)\n";
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"suggest",
     "WORD [--quantity] [--limit N]",
     "units (or, with --quantity, physical quantities) within two edits of a misspelt\n"
     "WORD, case aside: the closest first, then those unit definitions use most, the\n"
     "word in the typed case first. Prefixed units count the prefix's and the unit's\n"
     "edits together. At most N are shown (10 by default, 0 for all).",
     {"cvunits suggest metr", "cvunits suggest KM", "cvunits suggest --quantity lenth",
      "cvunits --json suggest kilometr"},
     suggestCommand}};

} // namespace
} // namespace cvunits
