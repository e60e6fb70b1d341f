#include "Command.hpp"
#include "Refusal.hpp"
#include "SuggestionEntries.hpp"
#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

int similarCommand(const CommandContext& ctx) {
    const auto args = readSuggestionArgs(ctx.args, 0, {});
    if (!args) {
        return exitUsage;
    }
    cv_units::SimilarUnits similar;
    try {
        similar = cv_units::similar(args->text);
    } catch (const cv_units::UnitError& e) {
        return reportUnitError(ctx, {{"text", args->text}}, e);
    }
    const std::size_t total = similar.units.size();
    if (args->limit != 0 && similar.units.size() > args->limit) {
        similar.units.resize(args->limit);
    }
    if (ctx.json) {
        ctx.out << nlohmann::ordered_json{{"text", args->text},
                                          {"physical_quantity", similar.quantity},
                                          {"total", total},
                                          {"similar", similar.units}}
                       .dump(2)
                << '\n';
        return exitSuccess;
    }
    for (const std::string& unit : similar.units) {
        ctx.out << unit << '\n';
    }
    if (similar.units.size() < total) {
        ctx.out << "... and " << total - similar.units.size() << " more (--limit 0 shows all)\n";
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"similar",
     "UNIT|@QUANTITY [--limit N]",
     "the units of the same physical quantity as UNIT and of the quantities related\n"
     "to it, sorted ignoring case; for an expression of several units (m/s), also the\n"
     "units of the quantities with the same dimensions. '@QUANTITY' names the\n"
     "quantity directly. All are shown unless --limit N is given.",
     {"cvunits similar ft", "cvunits similar m/s", "cvunits similar @velocity",
      "cvunits --json similar psi"},
     similarCommand}};

} // namespace
} // namespace cvunits
