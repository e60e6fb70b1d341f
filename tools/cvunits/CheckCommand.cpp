#include "Command.hpp"
#include "ComparisonReport.hpp"
#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using nlohmann::json;

int checkCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 2) {
        return exitUsage;
    }
    const std::string& a = ctx.args[0];
    const std::string& b = ctx.args[1];
    cv_units::Comparison comparison;
    try {
        comparison = cv_units::compare(a, b);
    } catch (const cv_units::UnitError& e) {
        if (ctx.json) {
            ctx.out << json{{"a", a},
                            {"b", b},
                            {"error", {{"id", e.identifier()}, {"message", e.what()}}}}
                           .dump(2, ' ', false, json::error_handler_t::replace)
                    << '\n';
        } else {
            ctx.err << "error: " << e.what() << '\n';
        }
        return exitUserError;
    }
    if (ctx.json) {
        json out{{"a", a},
                 {"b", b},
                 {"code", comparison.code},
                 {"name", comparison.name},
                 {"meaning", comparison.explanation},
                 {"convertible", comparison.convertible}};
        if (comparison.aDimensions && comparison.bDimensions) {
            out["aDimensions"] = *comparison.aDimensions;
            out["bDimensions"] = *comparison.bDimensions;
        }
        if (comparison.fix) {
            out["fix"] = *comparison.fix;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return exitSuccess;
    }
    ctx.out << comparison.code << ' ' << comparison.name << ": " << comparison.explanation << '\n'
            << "convertible: " << (comparison.convertible ? "yes" : "no") << '\n';
    printExplanation(ctx.out, comparison, a, b, "");
    return exitSuccess;
}

const CommandRegistration registration{
    {"check",
     "A B",
     "compare two unit expressions: prints the comparison code, its name and what it\n"
     "means, and whether values convert between them",
     {"cvunits check Hz s", "cvunits --json check degC K"},
     checkCommand}};

} // namespace
} // namespace cvunits
