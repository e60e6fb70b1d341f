#include "Command.hpp"
#include "ComparisonText.hpp"
#include "ConversionReport.hpp"

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
    CvUnitSys::UnitTable table;
    CvUnitSys::UnitComparison comparison = CvUnitSys::Equivalent;
    std::int32_t idA = CvUnitSys::UnitTable::NoUnitId;
    std::int32_t idB = CvUnitSys::UnitTable::NoUnitId;
    try {
        idA = registerText(table, a);
        idB = registerText(table, b);
        comparison = table.equivalentUnits(idA, idB);
    } catch (const CvUnitSys::IUserException& e) {
        const Failure failure = describe(e);
        if (ctx.json) {
            ctx.out << json{{"a", a},
                            {"b", b},
                            {"error", {{"id", failure.identifier}, {"message", failure.message}}}}
                           .dump(2, ' ', false, json::error_handler_t::replace)
                    << '\n';
        } else {
            ctx.err << "error: " << failure.message << '\n';
        }
        return exitUserError;
    }
    const bool convertible = isConvertible(comparison);
    std::optional<Explanation> explanation;
    if (!convertible) {
        explanation = explain(table, idA, idB);
    }
    if (ctx.json) {
        json out{{"a", a},
                 {"b", b},
                 {"code", static_cast<int>(comparison)},
                 {"name", comparisonName(comparison)},
                 {"meaning", comparisonMeaning(comparison)},
                 {"convertible", convertible}};
        if (explanation && explanation->from && explanation->to) {
            out["aDimensions"] = dimensionsText(*explanation->from);
            out["bDimensions"] = dimensionsText(*explanation->to);
        }
        if (explanation && explanation->fix) {
            out["fix"] = *explanation->fix;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return exitSuccess;
    }
    ctx.out << static_cast<int>(comparison) << ' ' << comparisonName(comparison) << ": "
            << comparisonMeaning(comparison) << '\n'
            << "convertible: " << (convertible ? "yes" : "no") << '\n';
    if (explanation && explanation->from && explanation->to) {
        ctx.out << a << " has dimensions " << dimensionsText(*explanation->from) << '\n'
                << b << " has dimensions " << dimensionsText(*explanation->to) << '\n';
    }
    if (explanation && explanation->fix) {
        ctx.out << "nearest fix: " << *explanation->fix << '\n';
    }
    if (explanation) {
        for (const auto& [symbol, candidates] : explanation->unknown) {
            ctx.out << "unknown symbol '" << symbol << "'";
            for (std::size_t i = 0; i < candidates.size(); ++i) {
                ctx.out << (i == 0 ? ": did you mean " : ", ") << candidates[i];
            }
            ctx.out << (candidates.empty() ? "\n" : "?\n");
        }
    }
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
