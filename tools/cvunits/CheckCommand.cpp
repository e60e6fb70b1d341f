#include "Command.hpp"
#include "ComparisonReport.hpp"
#include "FriendlyInput.hpp"
#include "Refusal.hpp"
#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cvunits {
namespace {

using nlohmann::json;

// The code the library gives when a side does not resolve.
constexpr int unresolvedUnits = 8;

int checkCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 2) {
        return exitUsage;
    }
    const json subject{{"a", ctx.args[0]}, {"b", ctx.args[1]}};
    std::optional<TypedUnit> a;
    std::optional<TypedUnit> b;
    cv_units::Comparison comparison;
    try {
        // Each side must be a unit on its own: comparing a text with itself
        // says nothing about whether it names a unit.
        a = readTypedUnit(ctx.args[0]);
        b = readTypedUnit(ctx.args[1]);
        comparison = cv_units::compare(a->text, b->text);
    } catch (const cv_units::UnitError& e) {
        return a && b ? reportUnitError(ctx, subject, inTypedWords(e, *a, *b))
                      : reportUnitError(ctx, subject, e);
    }
    const int rc = comparison.code == unresolvedUnits ? exitUserError : exitSuccess;
    if (ctx.json) {
        json out{{"a", a->typed},
                 {"b", b->typed},
                 {"code", comparison.code},
                 {"name", comparison.name},
                 {"meaning", meaningOf(comparison)},
                 {"convertible", comparison.convertible}};
        const json understood = understoodJson(*a, *b);
        if (!understood.empty()) {
            out["understood"] = understood;
        }
        if (comparison.aDimensions && comparison.bDimensions) {
            out["aDimensions"] = *comparison.aDimensions;
            out["bDimensions"] = *comparison.bDimensions;
        }
        if (comparison.fix) {
            out["fix"] = *comparison.fix;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return rc;
    }
    printUnderstood(ctx.err, *a, *b);
    ctx.out << comparison.code << ' ' << comparison.name << ": " << meaningOf(comparison) << '\n'
            << "convertible: " << (comparison.convertible ? "yes" : "no") << '\n';
    printExplanation(ctx.out, comparison, a->typed, b->typed, "");
    if (!comparison.convertible) {
        if (const auto hint = temperatureHint(a->text, b->text)) {
            ctx.out << *hint << '\n';
        }
    }
    return rc;
}

const CommandRegistration registration{
    {"check",
     "A B",
     "compare two unit expressions: prints the comparison code, its name and what it\n"
     "means, and whether values convert between them; exits 1 when a side is not a\n"
     "unit, so that the two cannot be compared",
     {"cvunits check Hz s", "cvunits --json check degC K", "cvunits check 'N m' J"},
     checkCommand}};

} // namespace
} // namespace cvunits
