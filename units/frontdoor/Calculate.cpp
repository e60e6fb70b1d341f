// The front door's calculator: arithmetic over quantities, exact while every
// step is rational.

#include "units/cv_units.hpp"
#include "units/frontdoor/ExactConversion.hpp"
#include "units/frontdoor/ExpressionRefusal.hpp"
#include "units/frontdoor/NumberText.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/TextServices.hpp"
#include "units/propagation/ArithmeticExpression.hpp"
#include "units/propagation/ExpressionPropagation.hpp"

#include <boost/multiprecision/cpp_int.hpp>
#include <charconv>
#include <cmath>
#include <optional>

namespace cv_units {

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
using Kind = ArithmeticItem::Kind;

ExpressionRefusal plainRefusal(const char* identifier, const std::string& message) {
    return ExpressionRefusal(identifier, message, message);
}

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
    if (const auto exact = exactConversion(table, from, to, info)) {
        // Applied in the widest floating type, so the value rounds once to double.
        const long double applied =
            extended(exact->scale) * static_cast<long double>(v.approximate) +
            extended(exact->offset);
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
        throw plainRefusal("cvunits:NotFinite", "the result is beyond the range of a double");
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
            throw plainRefusal("cvunits:DivisionByZero", "division by zero");
        }
        return settled({a.approximate / b.approximate,
                        exact ? std::optional(*a.exact / *b.exact) : std::nullopt});
    }
}

// Whole powers of exact values stay exact; others are computed in double.
Value raise(const Value& a, double power) {
    if (a.approximate == 0.0 && power < 0) {
        throw plainRefusal("cvunits:DivisionByZero", "division by zero");
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
        throw plainRefusal("cvunits:NotARealNumber", "the power of a negative value is not real");
    }
    return settled({value, exact});
}

} // namespace

Calculation Units::calc(std::string_view expressionText, std::optional<std::string_view> to) {
    checkText(expressionText);
    if (to) {
        checkText(*to);
    }
    const std::string expression(expressionText);
    std::vector<ArithmeticItem> items;
    try {
        items = parseArithmetic(expression, true);
    } catch (const ArithmeticError& e) {
        const std::string message =
            std::string(e.what()) + " at column " + std::to_string(e.column);
        throw ExpressionRefusal("cvunits:ExpressionSyntax", message, message, e.column);
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
            leafUnits.push_back(table.registerUnit(TextServices::fromUtf8(item.text), true, false));
        } catch (const CvUnitSys::IUserException& e) {
            throw refusalOf(e);
        }
        if (table.isUnitUnresolved(leafUnits.back())) {
            throw plainRefusal("cvunits:UnresolvedUnit",
                               "'" + item.text + "' is not defined in any unit database");
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
        throw refusalOf(e, propagation.locate(items, leafUnits, leafOperands, expression, e));
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
        Value value = stack.back();
        const std::string text =
            TextServices::toUtf8(table.getUserSpecifiedUnitExpr(outcome.result));
        const auto at = text.find('@');
        Calculation result;
        result.unit = text.substr(0, at);
        result.quantity = at == std::string::npos ? std::string() : text.substr(at + 1);
        if (to) {
            const std::int32_t toId = table.registerUnit(TextServices::fromUtf8(*to), true, false);
            value = settled(converted(table, outcome.result, toId, value));
            result.unit = std::string(*to);
            result.quantity.clear();
        }
        result.value = value.approximate;
        if (value.exact) {
            result.exact = toRational(*value.exact);
        }
        return result;
    } catch (const CvUnitSys::IUserException& e) {
        throw refusalOf(e);
    }
}

std::string Calculation::text() const {
    std::string out = shortestText(value);
    if (unit != "1") {
        out += " " + unit;
    }
    // The fraction, when the decimal shown is not exactly the value.
    if (exact) {
        const cpp_rational fraction(cpp_int(exact->numerator), cpp_int(exact->denominator));
        const auto shown = exactDecimal(shortestText(value));
        if (!shown || *shown != fraction) {
            out += " (exactly " + exact->text() + ")";
        }
    }
    if (!quantity.empty()) {
        out += "  [" + quantity + "]";
    }
    return out;
}

Calculation calc(std::string_view expression, std::optional<std::string_view> to) {
    return defaultUnits().calc(expression, to);
}

} // namespace cv_units
