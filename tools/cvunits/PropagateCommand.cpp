#include "Command.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/TextServices.hpp"
#include "units/propagation/ArithmeticExpression.hpp"
#include "units/propagation/ExpressionPropagation.hpp"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

namespace cvunits {
namespace {

using CvUnitSys::ArithmeticError;
using CvUnitSys::ArithmeticItem;
using CvUnitSys::ExpressionPropagation;
using CvUnitSys::parseArithmetic;
using CvUnitSys::PropagationOutcome;
using CvUnitSys::RefusedOperation;
using CvUnitSys::TextServices;
using CvUnitSys::UnitHeuristicManager;
using nlohmann::json;

struct Options {
    std::string expression;
    std::map<std::string, std::string> units; // operand name to unit text
    UnitHeuristicManager::ConversionMode mode = UnitHeuristicManager::ErrorOnConversion;
    UnitHeuristicManager::UnitOutputFormat format = UnitHeuristicManager::SingleQuotient;
    bool tree = false;
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
            o.tree = true;
        } else if (arg == "--mode" && hasValue) {
            const std::string& mode = ctx.args[++i];
            if (mode != "error" && mode != "convert") {
                return std::nullopt;
            }
            o.mode = mode == "error" ? UnitHeuristicManager::ErrorOnConversion
                                     : UnitHeuristicManager::ConvertOperands;
        } else if (arg == "--format" && hasValue) {
            const std::string& format = ctx.args[++i];
            if (format != "0" && format != "1" && format != "2") {
                return std::nullopt;
            }
            o.format = static_cast<UnitHeuristicManager::UnitOutputFormat>(format[0] - '0');
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

int fail(const Options& o, const CommandContext& ctx, const std::string& id,
         const std::string& message, const std::optional<RefusedOperation>& refused = {}) {
    if (o.json) {
        json error{{"id", id}, {"message", message}};
        if (refused) {
            error["operation"] = refused->operation;
            error["operands"] = refused->operands;
        }
        ctx.out << json{{"expression", o.expression}, {"error", error}}.dump(
                       2, ' ', false, json::error_handler_t::replace)
                << '\n';
    } else {
        ctx.err << "error: ";
        if (refused) {
            ctx.err << "cannot " << refused->operation;
            for (std::size_t i = 0; i < refused->operands.size(); ++i) {
                ctx.err << (i == 0 ? " " : " and ") << refused->operands[i];
            }
            ctx.err << ": ";
        }
        ctx.err << message << '\n';
    }
    return exitUserError;
}

std::pair<std::string, std::string> unitAndQuantity(const CvUnitSys::UnitTable& table,
                                                    std::int32_t id) {
    const std::string text = TextServices::toUtf8(table.getUserSpecifiedUnitExpr(id));
    const auto at = text.find('@');
    return at == std::string::npos ? std::pair{text, std::string()}
                                   : std::pair{text.substr(0, at), text.substr(at + 1)};
}

int propagateCommand(const CommandContext& ctx) {
    const auto options = readOptions(ctx);
    if (!options) {
        return exitUsage;
    }
    const Options& o = *options;
    std::vector<ArithmeticItem> items;
    try {
        items = parseArithmetic(o.expression, false);
    } catch (const ArithmeticError& e) {
        return fail(o, ctx, "cvunits:ExpressionSyntax",
                    std::string(e.what()) + " at column " + std::to_string(e.column));
    }
    // Operands are numbered by first appearance; a name used twice is one operand.
    std::vector<std::string> names;
    std::vector<std::int32_t> leafUnits;
    std::vector<std::int32_t> leafOperands;
    CvUnitSys::UnitTable table;
    std::map<std::string, std::int32_t> unitOfName;
    try {
        for (const ArithmeticItem& item : items) {
            if (item.kind != ArithmeticItem::Operand) {
                continue;
            }
            const auto given = o.units.find(item.text);
            if (given == o.units.end()) {
                return fail(o, ctx, "cvunits:UnknownOperand",
                            "no unit given for '" + item.text + "' (write " + item.text + "=UNIT)");
            }
            auto [known, added] = unitOfName.try_emplace(item.text, 0);
            if (added) {
                known->second = table.registerUnit(CvUnitSys::TextServices::fromUtf8(given->second),
                                                   true, false);
                names.push_back(item.text);
                if (table.isUnitUnresolved(known->second)) {
                    return fail(o, ctx, "cvunits:UnresolvedUnit",
                                "the unit '" + given->second + "' of " + item.text +
                                    " is not defined in any unit database");
                }
            }
            leafUnits.push_back(known->second);
            leafOperands.push_back(static_cast<std::int32_t>(
                std::find(names.begin(), names.end(), item.text) - names.begin()));
        }
    } catch (const CvUnitSys::IUserException& e) {
        return fail(o, ctx, e.getMessageIdentifier(), std::string(cv_units::toUnitError(e).what()));
    }

    ExpressionPropagation propagation(table, o.mode, o.format);
    PropagationOutcome outcome;
    try {
        outcome = propagation.run(items, leafUnits, leafOperands);
    } catch (const CvUnitSys::IUserException& e) {
        return fail(o, ctx, e.getMessageIdentifier(), std::string(cv_units::toUnitError(e).what()),
                    propagation.locate(items, leafUnits, leafOperands, o.expression, e));
    }
    const auto [unit, quantity] = unitAndQuantity(table, outcome.result);
    std::vector<std::string> drawing;
    if (o.tree) {
        std::basic_ostringstream<char16_t> out;
        ExpressionPropagation::build(items, 0, items.size() - 1, leafUnits, leafOperands)
            .print(out, &table);
        std::istringstream lines(TextServices::toUtf8(out.str()));
        for (std::string line; std::getline(lines, line);) {
            drawing.push_back(line);
        }
    }
    if (o.json) {
        json conversions = json::array();
        for (const auto& [operand, target] : outcome.conversions) {
            conversions.push_back({{"operand", names[operand]},
                                   {"from", o.units.at(names[operand])},
                                   {"to", unitAndQuantity(table, target).first}});
        }
        json out{{"expression", o.expression},
                 {"unit", unit},
                 {"quantity", quantity},
                 {"conversions", conversions}};
        if (o.tree) {
            out["tree"] = drawing;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return exitSuccess;
    }
    ctx.out << "unit: " << unit << '\n'
            << "quantity: " << (quantity.empty() ? "(none)" : quantity) << '\n';
    for (const auto& [operand, target] : outcome.conversions) {
        ctx.out << "convert " << names[operand] << " from " << o.units.at(names[operand]) << " to "
                << unitAndQuantity(table, target).first << '\n';
    }
    for (const std::string& line : drawing) {
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
