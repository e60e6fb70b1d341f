#include "Command.hpp"
#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cvunits {
namespace {

using nlohmann::json;

int calcCommand(const CommandContext& ctx) {
    bool jsonOutput = ctx.json;
    std::vector<std::string> positional;
    for (const std::string& arg : ctx.args) {
        if (arg == "--json") {
            jsonOutput = true;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        return exitUsage;
    }
    const std::string& expression = positional[0];
    const std::optional<std::string> to =
        positional.size() == 2 ? std::optional(positional[1]) : std::nullopt;
    try {
        const cv_units::Calculation r = cv_units::calc(expression, to);
        if (jsonOutput) {
            json out{{"expression", expression},
                     {"value", r.value},
                     {"unit", r.unit},
                     {"quantity", r.quantity}};
            if (r.exact) {
                out["exact"] = r.exact->text();
            }
            ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        } else {
            ctx.out << r.text() << '\n';
        }
        return exitSuccess;
    } catch (const cv_units::UnitError& e) {
        if (jsonOutput) {
            ctx.out << json{{"expression", expression},
                            {"error", {{"id", e.identifier()}, {"message", e.what()}}}}
                           .dump(2, ' ', false, json::error_handler_t::replace)
                    << '\n';
        } else {
            ctx.err << "error: " << e.what() << '\n';
        }
        return exitUserError;
    }
}

const CommandRegistration registration{
    {"calc",
     "EXPR [TO]",
     "a calculator that keeps track of units. EXPR is arithmetic (+ - * /, ^ with a\n"
     "rational power, parentheses) over quantities written as a number and a unit\n"
     "('3 ft', '2.5 kWh', '9.81 m/s^2' is (9.81 m)/s^2, '5 m^2' is five square\n"
     "metres); a bare number is dimensionless. Operands are converted as the\n"
     "propagation engine says, so adding incompatible quantities is refused. The\n"
     "result is given in TO, or in the unit the engine chose. Values are exact\n"
     "rationals while every step allows it; the fraction is shown when the decimal\n"
     "is not exact.",
     {"cvunits calc '3 ft + 2 m' cm", "cvunits calc '(100 km)/(2 h)' m/s",
      "cvunits calc '2 kWh / 30 min' W", "cvunits --json calc '1 ft / 3' in"},
     calcCommand}};

} // namespace
} // namespace cvunits
