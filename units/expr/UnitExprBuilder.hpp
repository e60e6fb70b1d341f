#pragma once

#include "units/expr/UnitASTGenUtils.hpp"
#include "units/expr/UnitExpr.hpp"

#include <string>
#include <utility>

namespace CvUnitSys {

// What the expression grammar yields when it parses into a UnitExpr.
struct UnitExprBuilder {
    using Result = UnitExpr;
    using SubExpr = UnitExpr;
    using Exponent = CvUnitSys::Exponent;
    using Rational = UnitASTGenUtils::Rational;

    static void take(UnitExpr& value, UnitExpr& operand) { value = std::move(operand); }
    static void multiply(UnitExpr& value, UnitExpr& operand) { value *= std::move(operand); }
    static void divide(UnitExpr& value, UnitExpr& operand) { value /= std::move(operand); }
    static void invertInto(UnitExpr& value, UnitExpr& operand) { value = operand.invert(); }
    static void fromSymbol(UnitExpr& value, const ustring& symbol) {
        value.set(symbol, Exponent(1.0));
    }
    static void fromSub(UnitExpr& value, UnitExpr& sub) { value = std::move(sub); }
    static void parenthesize(UnitExpr& sub, UnitExpr& value) { sub = std::move(value); }
    static void raise(UnitExpr& value, const Exponent& e) { value ^= e; }
    static void fromNumber(Exponent& e, double x) { e = Exponent(x); }
    static void fromRational(Exponent& e, const Rational& r) {
        e = Exponent(static_cast<double>(r.numerator) / static_cast<double>(r.denominator));
    }
    static void makeRational(Rational& r, int numerator, int denominator) {
        r.numerator = numerator;
        r.denominator = denominator;
    }
};

} // namespace CvUnitSys
