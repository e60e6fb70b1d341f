#include "Command.hpp"
#include "units/cv_units.hpp"
#include "units/frontdoor/ExpressionRefusal.hpp"

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cvunits {
namespace {

using nlohmann::json;

struct Options {
    std::string expression;
    std::map<std::string, std::string, std::less<>> units; // operand name to unit text
    cv_units::PropagationOptions propagation;
    bool json = false;
};

std::optional<Options> readOptions(const CommandContext& ctx) {
    Options o;
    o.json = ctx.json;
    bool haveExpression = false;
    for (std::size_t i = 0; i < ctx.args.size(); ++i) {
        const std::string& arg = ctx.args[i];
        const bool hasValue = i + 1 < ctx.args.size();
        if (arg == "--json") {
            o.json = true;
        } else if (arg == "--tree") {
            o.propagation.drawTree = true;
        } else if (arg == "--mode" && hasValue) {
            const std::string& mode = ctx.args[++i];
            if (mode != "error" && mode != "convert") {
                return std::nullopt;
            }
            o.propagation.convertOperands = mode == "convert";
        } else if (arg == "--format" && hasValue) {
            const std::string& format = ctx.args[++i];
            if (format != "0" && format != "1" && format != "2") {
                return std::nullopt;
            }
            o.propagation.quotientFormat = format[0] - '0';
        } else if (!haveExpression) {
            o.expression = arg;
            haveExpression = true;
        } else if (const auto eq = arg.find('='); eq != std::string::npos && eq > 0) {
            o.units[arg.substr(0, eq)] = arg.substr(eq + 1);
        } else {
            return std::nullopt;
        }
    }
    if (!haveExpression) {
        return std::nullopt;
    }
    return o;
}

int fail(const Options& o, const CommandContext& ctx, const cv_units::ExpressionRefusal& e) {
    if (o.json) {
        json error{{"id", e.identifier()}, {"message", e.reason()}};
        if (e.refused()) {
            error["operation"] = e.refused()->operation;
            error["operands"] = e.refused()->operands;
        }
        ctx.out << json{{"expression", o.expression}, {"error", error}}.dump(
                       2, ' ', false, json::error_handler_t::replace)
                << '\n';
    } else {
        ctx.err << "error: " << e.what() << '\n';
    }
    return exitUserError;
}

int propagateCommand(const CommandContext& ctx) {
    const auto options = readOptions(ctx);
    if (!options) {
        return exitUsage;
    }
    const Options& o = *options;
    cv_units::Propagation p;
    try {
        p = cv_units::propagate(o.expression, o.units, o.propagation);
    } catch (const cv_units::ExpressionRefusal& e) {
        return fail(o, ctx, e);
    }
    if (o.json) {
        json conversions = json::array();
        for (const cv_units::Propagation::Conversion& c : p.conversions) {
            conversions.push_back({{"operand", c.operand}, {"from", c.from}, {"to", c.to}});
        }
        json out{{"expression", o.expression},
                 {"unit", p.unit},
                 {"quantity", p.quantity},
                 {"conversions", conversions}};
        if (o.propagation.drawTree) {
            out["tree"] = p.tree;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return exitSuccess;
    }
    ctx.out << "unit: " << p.unit << '\n'
            << "quantity: " << (p.quantity.empty() ? "(none)" : p.quantity) << '\n';
    for (const cv_units::Propagation::Conversion& c : p.conversions) {
        ctx.out << "convert " << c.operand << " from " << c.from << " to " << c.to << '\n';
    }
    for (const std::string& line : p.tree) {
        ctx.out << line << '\n';
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"propagate",
     "EXPR NAME=UNIT... [--mode error|convert] [--format 0|1|2] [--tree]",
     "the unit and physical quantity of a computed value. EXPR is arithmetic over\n"
     "named operands: + - * /, ^ with a rational power (^2, ^-1, ^0.5, ^(1/3)),\n"
     "parentheses; each NAME=UNIT gives an operand's unit. Prints the result unit\n"
     "(the one named unit with exactly its scaling when there is one), its quantity,\n"
     "and the operands that must be converted first, with their target units.\n"
     "  --mode error    an operation that needs a converted operand is refused (default)\n"
     "  --mode convert  every operand is converted to fundamental units instead\n"
     "  --format 0|1|2  write a result quotient as a/(b*c), a/b/c or a*b^-1*c^-1\n"
     "  --tree          also draw the expression's tree of units",
     {"cvunits propagate 'p*V/(n*T)' p=kPa V=L n=mol T=K",
      "cvunits propagate 'a + b' a=m b=km --mode convert",
      "cvunits propagate 'm*g*h' m=kg g=m/s^2 h=m --tree",
      "cvunits --json propagate 'x^(1/2)' x=m^2"},
     propagateCommand}};

} // namespace
} // namespace cvunits
