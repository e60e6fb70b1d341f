#pragma once

#include "units/expr/UnitASTGenUtils.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace CvUnitSys::GenExprUtil {

struct Exponent {
    ustring text;
};

// The exponent text of a number: six significant digits, as a default-format
// stream writes it, whatever the host's locale.
ustring numberText(double value);
ustring integerText(std::int32_t value);
// The same texts in ASCII at `out`, which has room for numberTextCapacity
// characters; they return the end of what they wrote.
inline constexpr std::size_t numberTextCapacity = 32;
char* writeNumberText(double value, char* out);
char* writeIntegerText(std::int32_t value, char* out);
// The built-in database's unit that `symbol` names when exactly one unit
// matches it, asked through the SymbolLookups in scope.
const UnitBase* uniqueUnit(const ustring& symbol);

// What the expression grammar yields when it rewrites an expression as text,
// in one or more output forms at once (each symbol is looked up once). Each
// form provides:
//   static ustring symbolText(const ustring& symbol, const UnitBase* unit)
//       the text of a symbol, or a reference to it; `unit` is null unless
//       exactly one unit matches
//   static const char16_t* multOp()                   the product operator
//   static void raise(ustring& out, const ustring& e) appends an exponent
template <typename... Forms> struct TextBuilder {
    struct Expr {
        std::array<ustring, sizeof...(Forms)> text;
    };
    using Result = Expr;
    using SubExpr = Expr;
    using Exponent = GenExprUtil::Exponent;
    using Rational = UnitASTGenUtils::Rational;
    using Indices = std::index_sequence_for<Forms...>;

    static void take(Expr& value, Expr& operand) { value = std::move(operand); }
    static void multiply(Expr& value, Expr& operand) { multiplyEach(value, operand, Indices{}); }
    static void divide(Expr& value, Expr& operand) {
        for (std::size_t i = 0; i < sizeof...(Forms); ++i) {
            append(value.text[i], u"/", operand.text[i]);
        }
    }
    static void invertInto(Expr& value, Expr& operand) {
        for (std::size_t i = 0; i < sizeof...(Forms); ++i) {
            value.text[i] = u"1/" + operand.text[i];
        }
    }
    static void fromSymbol(Expr& value, const ustring& text) {
        const UnitBase* unit = uniqueUnit(text);
        std::size_t i = 0;
        // Assigned in place: the plain forms hand out the unit's own texts.
        ((value.text[i++] = Forms::symbolText(text, unit)), ...);
    }
    static void fromSub(Expr& value, Expr& sub) { value = std::move(sub); }
    static void parenthesize(Expr& sub, Expr& value) {
        for (std::size_t i = 0; i < sizeof...(Forms); ++i) {
            sub.text[i] = u"(" + value.text[i] + u")";
        }
    }
    static void raise(Expr& value, const Exponent& e) { raiseEach(value, e, Indices{}); }
    static void fromNumber(Exponent& e, double x) { e.text = numberText(x); }
    static void fromRational(Exponent& e, const Rational& r) {
        e.text = integerText(r.numerator) + u"/" + integerText(r.denominator);
    }
    static void makeRational(Rational& r, int numerator, int denominator) {
        r.numerator = numerator;
        r.denominator = denominator;
    }

private:
    template <std::size_t... I>
    static void multiplyEach(Expr& value, const Expr& operand, std::index_sequence<I...>) {
        (append(value.text[I], Forms::multOp(), operand.text[I]), ...);
    }
    // One allocation at most for the operator and the operand together.
    static void append(ustring& out, std::u16string_view op, const ustring& operand) {
        out.reserve(out.size() + op.size() + operand.size());
        out += op;
        out += operand;
    }
    template <std::size_t... I>
    static void raiseEach(Expr& value, const Exponent& e, std::index_sequence<I...>) {
        (Forms::raise(value.text[I], e.text), ...);
    }
};

// The plain forms: a found unit's name, symbol or ASCII symbol.
template <std::u16string_view (UnitBase::*Text)() const> struct GenPlain {
    static std::u16string_view symbolText(const ustring& symbol, const UnitBase* unit) {
        return unit != nullptr ? (unit->*Text)() : symbol;
    }
    static const char16_t* multOp() { return u"*"; }
    // One append: the text grows at most once.
    static void raise(ustring& out, const ustring& e) { out.append(ustring(1, u'^') += e); }
};

} // namespace CvUnitSys::GenExprUtil

namespace CvUnitSys {

using GenName = GenExprUtil::GenPlain<&UnitBase::getName>;
using GenSymbol = GenExprUtil::GenPlain<&UnitBase::getSymbol>;
using GenAscii = GenExprUtil::GenPlain<&UnitBase::getAsciiSymbol>;

// The typeset form: display texts, "\cdot{}" and braced exponents. Symbols not
// found keep their text with every "_" escaped.
struct GenDisp {
    static ustring symbolText(const ustring& symbol, const UnitBase* unit);
    static const char16_t* multOp() { return u"\\cdot{}"; }
    static void raise(ustring& out, const ustring& e) { out.append((ustring(u"^{") += e) += u'}'); }
};

// Every form at once, indexed by ConversionFormatType.
using AllFormsTextBuilder = GenExprUtil::TextBuilder<GenDisp, GenName, GenSymbol, GenAscii>;

} // namespace CvUnitSys
