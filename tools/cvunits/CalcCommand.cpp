#include "Command.hpp"
#include "units/frontdoor/ExactConversion.hpp"
#include "units/frontdoor/NumberText.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/TextServices.hpp"
#include "units/propagation/ArithmeticExpression.hpp"
#include "units/propagation/ExpressionPropagation.hpp"

#include <boost/multiprecision/cpp_int.hpp>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cvunits {
namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;
using CvUnitSys::ArithmeticError;
using CvUnitSys::ArithmeticItem;
using CvUnitSys::ExpressionPropagation;
using CvUnitSys::parseArithmetic;
using CvUnitSys::PropagationOutcome;
using CvUnitSys::TextServices;
using CvUnitSys::UnitHeuristicManager;
using CvUnitSys::UnitTable;
using nlohmann::json;
using Kind = ArithmeticItem::Kind;

// A refusal of the calculator itself, with the engine's identifier when it comes from there.
struct CalcError {
    std::string id;
    std::string message;
};

// A value in double, and exactly while every step has been rational.
struct Value {
    double approximate;
    std::optional<cpp_rational> exact;
};

// Decimal exponents beyond this make numbers too long to be worth keeping exact.
constexpr int maxExactExponent = 400;

std::optional<cpp_rational> exactDecimal(const std::string& text) {
    const auto e = text.find_first_of("eE");
    const std::string mantissa = text.substr(0, e);
    int exponent = 0;
    if (e != std::string::npos) {
        const char* first = text.data() + e + 1;
        if (*first == '+') {
            ++first;
        }
        if (std::from_chars(first, text.data() + text.size(), exponent).ec != std::errc() ||
            std::abs(exponent) > maxExactExponent) {
            return std::nullopt;
        }
    }
    std::string digits;
    for (std::size_t i = 0; i < mantissa.size(); ++i) {
        if (mantissa[i] == '.') {
            exponent -= static_cast<int>(mantissa.size() - i - 1);
        } else {
            digits += mantissa[i];
        }
    }
    const cpp_int power = boost::multiprecision::pow(cpp_int(10), std::abs(exponent));
    // A leading zero would make the digits octal.
    const auto first = digits.find_first_not_of('0');
    const cpp_int whole(first == std::string::npos ? std::string("0") : digits.substr(first));
    return exponent >= 0 ? cpp_rational(whole * power) : cpp_rational(whole, power);
}

Value literal(const std::string& number) {
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return {value, exactDecimal(number)};
}

Value converted(UnitTable& table, std::int32_t from, std::int32_t to, const Value& v) {
    const auto info = table.getConversionInfo(from, to);
    if (const auto exact = cv_units::exactConversion(table, from, to, info)) {
        // Applied in the widest floating type, so the value rounds once to double.
        const long double applied =
            cv_units::extended(exact->scale) * static_cast<long double>(v.approximate) +
            cv_units::extended(exact->offset);
        return {static_cast<double>(applied),
                v.exact ? std::optional(exact->scale * *v.exact + exact->offset) : std::nullopt};
    }
    const double scaled = info.isInverted() ? info.getScalingFactor() / v.approximate
                                            : info.getScalingFactor() * v.approximate;
    return {scaled + info.getOffset(), std::nullopt};
}

// The rounding is done once, from the exact value, when there is one.
Value settled(Value v) {
    if (v.exact) {
        v.approximate = v.exact->convert_to<double>();
    }
    if (!std::isfinite(v.approximate)) {
        throw CalcError{"cvunits:NotFinite", "the result is beyond the range of a double"};
    }
    return v;
}

Value combine(Kind kind, const Value& a, const Value& b) {
    const bool exact = a.exact && b.exact;
    switch (kind) {
    case Kind::Add:
        return settled({a.approximate + b.approximate,
                        exact ? std::optional(*a.exact + *b.exact) : std::nullopt});
    case Kind::Subtract:
        return settled({a.approximate - b.approximate,
                        exact ? std::optional(*a.exact - *b.exact) : std::nullopt});
    case Kind::Multiply:
        return settled({a.approximate * b.approximate,
                        exact ? std::optional(*a.exact * *b.exact) : std::nullopt});
    default:
        if (b.approximate == 0.0 || (b.exact && *b.exact == 0)) {
            throw CalcError{"cvunits:DivisionByZero", "division by zero"};
        }
        return settled({a.approximate / b.approximate,
                        exact ? std::optional(*a.exact / *b.exact) : std::nullopt});
    }
}

// Whole powers of exact values stay exact; others are computed in double.
Value raise(const Value& a, double power) {
    if (a.approximate == 0.0 && power < 0) {
        throw CalcError{"cvunits:DivisionByZero", "division by zero"};
    }
    std::optional<cpp_rational> exact;
    if (a.exact && power == std::trunc(power) && std::abs(power) <= 64) {
        cpp_rational r(1);
        for (int i = 0; i < static_cast<int>(std::abs(power)); ++i) {
            r *= *a.exact;
        }
        exact = power < 0 ? cpp_rational(1) / r : r;
    }
    const double value = std::pow(a.approximate, power);
    if (std::isnan(value)) {
        throw CalcError{"cvunits:NotARealNumber", "the power of a negative value is not real"};
    }
    return settled({value, exact});
}

std::string rationalText(const cpp_rational& r) {
    const cpp_int d = boost::multiprecision::denominator(r);
    return boost::multiprecision::numerator(r).str() + (d == 1 ? "" : "/" + d.str());
}

// The fraction, when the decimal shown is not exactly the value.
std::optional<std::string> exactSuffix(const Value& v) {
    if (!v.exact) {
        return std::nullopt;
    }
    const auto shown = exactDecimal(cv_units::shortestText(v.approximate));
    if (shown && *shown == *v.exact) {
        return std::nullopt;
    }
    return rationalText(*v.exact);
}

struct Result {
    Value value;
    std::string unit;
    std::string quantity;
};

Result calculate(const std::string& expression, const std::optional<std::string>& to) {
    std::vector<ArithmeticItem> items;
    try {
        items = parseArithmetic(expression, true);
    } catch (const ArithmeticError& e) {
        throw CalcError{"cvunits:ExpressionSyntax",
                        std::string(e.what()) + " at column " + std::to_string(e.column)};
    }
    UnitTable table;
    std::vector<std::int32_t> leafUnits;
    std::vector<std::int32_t> leafOperands;
    std::vector<Value> leafValues;
    for (const ArithmeticItem& item : items) {
        if (item.kind != Kind::Operand) {
            continue;
        }
        try {
            leafUnits.push_back(
                table.registerUnit(CvUnitSys::TextServices::fromUtf8(item.text), true, false));
        } catch (const CvUnitSys::IUserException& e) {
            throw CalcError{e.getMessageIdentifier(), std::string(cv_units::toUnitError(e).what())};
        }
        if (table.isUnitUnresolved(leafUnits.back())) {
            throw CalcError{"cvunits:UnresolvedUnit",
                            "'" + item.text + "' is not defined in any unit database"};
        }
        leafOperands.push_back(static_cast<std::int32_t>(leafOperands.size()));
        leafValues.push_back(item.number.empty() ? Value{1.0, cpp_rational(1)}
                                                 : literal(item.number));
    }
    ExpressionPropagation propagation(table, UnitHeuristicManager::ConvertOperands,
                                      UnitHeuristicManager::SingleQuotient);
    PropagationOutcome outcome{};
    try {
        outcome = propagation.run(items, leafUnits, leafOperands);
    } catch (const CvUnitSys::IUserException& e) {
        std::string message = std::string(cv_units::toUnitError(e).what());
        if (auto refused = propagation.locate(items, leafUnits, leafOperands, expression, e)) {
            std::string operands;
            for (const std::string& operand : refused->operands) {
                operands += (operands.empty() ? " " : " and ") + operand;
            }
            message = "cannot " + refused->operation + operands + ": " + message;
        }
        throw CalcError{e.getMessageIdentifier(), message};
    }
    try {
        for (const auto& [operand, target] : outcome.conversions) {
            // A dimensionless operand's target is the number itself.
            if (target != UnitTable::EmptyUnitId) {
                leafValues[operand] =
                    settled(converted(table, leafUnits[operand], target, leafValues[operand]));
            }
        }
        std::vector<Value> stack;
        std::size_t leaf = 0;
        for (const ArithmeticItem& item : items) {
            switch (item.kind) {
            case Kind::Operand:
                stack.push_back(leafValues[leaf++]);
                break;
            case Kind::Negate:
                stack.back().approximate = -stack.back().approximate;
                if (stack.back().exact) {
                    stack.back().exact = -*stack.back().exact;
                }
                break;
            case Kind::Power:
                stack.back() = raise(stack.back(), item.power);
                break;
            default: {
                const Value right = stack.back();
                stack.pop_back();
                stack.back() = combine(item.kind, stack.back(), right);
            }
            }
        }
        Result result{stack.back(), {}, {}};
        const std::string text =
            TextServices::toUtf8(table.getUserSpecifiedUnitExpr(outcome.result));
        const auto at = text.find('@');
        result.unit = text.substr(0, at);
        result.quantity = at == std::string::npos ? std::string() : text.substr(at + 1);
        if (to) {
            const std::int32_t toId =
                table.registerUnit(CvUnitSys::TextServices::fromUtf8(*to), true, false);
            result.value = settled(converted(table, outcome.result, toId, result.value));
            result.unit = *to;
            result.quantity.clear();
        }
        return result;
    } catch (const CvUnitSys::IUserException& e) {
        throw CalcError{e.getMessageIdentifier(), std::string(cv_units::toUnitError(e).what())};
    }
}

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
        const Result r = calculate(expression, to);
        const auto exact = exactSuffix(r.value);
        if (jsonOutput) {
            json out{{"expression", expression},
                     {"value", r.value.approximate},
                     {"unit", r.unit},
                     {"quantity", r.quantity}};
            if (r.value.exact) {
                out["exact"] = rationalText(*r.value.exact);
            }
            ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        } else {
            ctx.out << cv_units::shortestText(r.value.approximate)
                    << (r.unit == "1" ? "" : " " + r.unit)
                    << (exact ? " (exactly " + *exact + ")" : "")
                    << (r.quantity.empty() ? "" : "  [" + r.quantity + "]") << '\n';
        }
        return exitSuccess;
    } catch (const CalcError& e) {
        if (jsonOutput) {
            ctx.out << json{{"expression", expression},
                            {"error", {{"id", e.id}, {"message", e.message}}}}
                           .dump(2, ' ', false, json::error_handler_t::replace)
                    << '\n';
        } else {
            ctx.err << "error: " << e.message << '\n';
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
