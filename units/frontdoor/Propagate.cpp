// The front door's propagation: the unit of a value computed from operands of
// known units.

#include "units/cv_units.hpp"
#include "units/frontdoor/ExpressionRefusal.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/TextServices.hpp"
#include "units/propagation/ArithmeticExpression.hpp"
#include "units/propagation/ExpressionPropagation.hpp"

#include <algorithm>
#include <sstream>

namespace cv_units {

namespace {

using CvUnitSys::ArithmeticError;
using CvUnitSys::ArithmeticItem;
using CvUnitSys::ExpressionPropagation;
using CvUnitSys::TextServices;
using CvUnitSys::UnitHeuristicManager;

ExpressionRefusal plainRefusal(const char* identifier, const std::string& message) {
    return ExpressionRefusal(identifier, message, message);
}

std::pair<std::string, std::string> unitAndQuantity(const CvUnitSys::UnitTable& table,
                                                    std::int32_t id) {
    const std::string text = TextServices::toUtf8(table.getUserSpecifiedUnitExpr(id));
    const auto at = text.find('@');
    return at == std::string::npos ? std::pair{text, std::string()}
                                   : std::pair{text.substr(0, at), text.substr(at + 1)};
}

UnitHeuristicManager::UnitOutputFormat formatOf(int quotientFormat) {
    if (quotientFormat < 0 || quotientFormat > 2) {
        const std::string message =
            "the quotient format is 0, 1 or 2, not " + std::to_string(quotientFormat);
        throw UnitError("CvUnits:InvalidOption", message, message);
    }
    return static_cast<UnitHeuristicManager::UnitOutputFormat>(quotientFormat);
}

} // namespace

Propagation Units::propagate(std::string_view expressionText,
                             const std::map<std::string, std::string, std::less<>>& units,
                             const PropagationOptions& options) {
    checkText(expressionText);
    for (const auto& [name, unit] : units) {
        checkText(name);
        checkText(unit);
    }
    const UnitHeuristicManager::UnitOutputFormat format = formatOf(options.quotientFormat);
    const std::string expression(expressionText);
    std::vector<ArithmeticItem> items;
    try {
        items = CvUnitSys::parseArithmetic(expression, false);
    } catch (const ArithmeticError& e) {
        const std::string message =
            std::string(e.what()) + " at column " + std::to_string(e.column);
        throw ExpressionRefusal("cvunits:ExpressionSyntax", message, message, e.column);
    }
    // Operands are numbered by first appearance; a name used twice is one operand.
    std::vector<std::string> names;
    std::vector<std::int32_t> leafUnits;
    std::vector<std::int32_t> leafOperands;
    // A table of its own, so that the units the engine makes on the way leave
    // nothing behind in the context.
    CvUnitSys::UnitTable table;
    std::map<std::string, std::int32_t> unitOfName;
    try {
        for (const ArithmeticItem& item : items) {
            if (item.kind != ArithmeticItem::Operand) {
                continue;
            }
            const auto given = units.find(item.text);
            if (given == units.end()) {
                throw plainRefusal("cvunits:UnknownOperand", "no unit given for '" + item.text +
                                                                 "' (write " + item.text +
                                                                 "=UNIT)");
            }
            // The unspecified unit has no definition for the engine to work with.
            if (given->second.empty()) {
                throw plainRefusal("cvunits:UnresolvedUnit",
                                   "the unit of " + item.text +
                                       " is empty: write a unit, or 1 for a pure number");
            }
            auto [known, added] = unitOfName.try_emplace(item.text, 0);
            if (added) {
                known->second =
                    table.registerUnit(TextServices::fromUtf8(given->second), true, false);
                names.push_back(item.text);
                if (table.isUnitUnresolved(known->second)) {
                    throw plainRefusal("cvunits:UnresolvedUnit",
                                       "the unit '" + given->second + "' of " + item.text +
                                           " is not defined in any unit database");
                }
            }
            leafUnits.push_back(known->second);
            leafOperands.push_back(static_cast<std::int32_t>(
                std::find(names.begin(), names.end(), item.text) - names.begin()));
        }
    } catch (const CvUnitSys::IUserException& e) {
        throw refusalOf(e);
    }

    ExpressionPropagation propagation(table,
                                      options.convertOperands
                                          ? UnitHeuristicManager::ConvertOperands
                                          : UnitHeuristicManager::ErrorOnConversion,
                                      format);
    CvUnitSys::PropagationOutcome outcome;
    try {
        outcome = propagation.run(items, leafUnits, leafOperands);
    } catch (const CvUnitSys::IUserException& e) {
        throw refusalOf(e, propagation.locate(items, leafUnits, leafOperands, expression, e));
    }
    Propagation out;
    std::tie(out.unit, out.quantity) = unitAndQuantity(table, outcome.result);
    for (const auto& [operand, target] : outcome.conversions) {
        const std::string& name = names[static_cast<std::size_t>(operand)];
        out.conversions.push_back(
            {name, units.find(name)->second, unitAndQuantity(table, target).first});
    }
    if (options.drawTree) {
        std::basic_ostringstream<char16_t> drawing;
        ExpressionPropagation::build(items, 0, items.size() - 1, leafUnits, leafOperands)
            .print(drawing, &table);
        std::istringstream lines(TextServices::toUtf8(drawing.str()));
        for (std::string line; std::getline(lines, line);) {
            out.tree.push_back(line);
        }
    }
    return out;
}

Propagation propagate(std::string_view expression,
                      const std::map<std::string, std::string, std::less<>>& units,
                      const PropagationOptions& options) {
    return defaultUnits().propagate(expression, units, options);
}

} // namespace cv_units
