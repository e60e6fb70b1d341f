#pragma once

#include "units/expr/UnitASTGenUtils.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"

#include <string>

namespace CvUnitSys::GenExprUtil {

// What the expression grammar yields when it rewrites an expression as text.
struct Expr {
    ustring text;
};
struct Exponent {
    ustring text;
};

// The exponent text of a number: six significant digits, as a default-format
// stream writes it, whatever the host's locale.
ustring numberText(double value);
ustring integerText(std::int32_t value);
// The database unit that `symbol` names when exactly one unit matches it.
const UnitBase* uniqueUnit(const ustring& symbol);

// Shared by every output form; `Form` chooses the texts:
//   static ustring symbolText(const ustring& symbol)  a symbol's text
//   static const char16_t* multOp()                   the product operator
//   static void raise(ustring& out, const ustring& e) appends an exponent
template <typename Form> struct TextBuilder {
    using Result = Expr;
    using SubExpr = Expr;
    using Exponent = GenExprUtil::Exponent;
    using Rational = UnitASTGenUtils::Rational;

    static void take(Expr& value, Expr& operand) { value.text = std::move(operand.text); }
    static void multiply(Expr& value, Expr& operand) {
        value.text += Form::multOp();
        value.text += operand.text;
    }
    static void divide(Expr& value, Expr& operand) {
        value.text += u'/';
        value.text += operand.text;
    }
    static void invertInto(Expr& value, Expr& operand) { value.text = u"1/" + operand.text; }
    static void fromSymbol(Expr& value, const std::u32string& symbol);
    static void fromSub(Expr& value, Expr& sub) { value.text = std::move(sub.text); }
    static void parenthesize(Expr& sub, Expr& value) { sub.text = u"(" + value.text + u")"; }
    static void raise(Expr& value, const Exponent& e) { Form::raise(value.text, e.text); }
    static void fromNumber(Exponent& e, double x) { e.text = numberText(x); }
    static void fromRational(Exponent& e, const Rational& r) {
        e.text = integerText(r.numerator) + u"/" + integerText(r.denominator);
    }
    static void makeRational(Rational& r, int numerator, int denominator) {
        r.numerator = numerator;
        r.denominator = denominator;
    }
};

// The plain forms: a found unit's name, symbol or ASCII symbol.
template <const ustring& (UnitBase::*Text)() const> struct GenPlain {
    static ustring symbolText(const ustring& symbol) {
        const UnitBase* unit = uniqueUnit(symbol);
        return unit != nullptr ? (unit->*Text)() : symbol;
    }
    static const char16_t* multOp() { return u"*"; }
    static void raise(ustring& out, const ustring& e) {
        out += u'^';
        out += e;
    }
};

} // namespace CvUnitSys::GenExprUtil

namespace CvUnitSys {

using GenName = GenExprUtil::GenPlain<&UnitBase::getName>;
using GenSymbol = GenExprUtil::GenPlain<&UnitBase::getSymbol>;
using GenAscii = GenExprUtil::GenPlain<&UnitBase::getAsciiSymbol>;

// The typeset form: display texts, "\cdot{}" and braced exponents. Symbols not
// found keep their text with every "_" escaped.
struct GenDisp {
    static ustring symbolText(const ustring& symbol);
    static const char16_t* multOp() { return u"\\cdot{}"; }
    static void raise(ustring& out, const ustring& e) {
        out += u"^{";
        out += e;
        out += u'}';
    }
};

} // namespace CvUnitSys
