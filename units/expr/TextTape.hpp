#pragma once

#include "units/db/UnitDatabase.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/UnitASTGenUtils.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <boost/container/small_vector.hpp>
#include <cstdint>
#include <string_view>

namespace CvUnitSys {

class UnitBase;

// The four converted texts of an expression, recorded while the hand reader
// reads it and written once at the end, each at its final size: building
// them as the parse goes copies and grows four strings per step. It relies
// on the hand reader's order: every value it builds is the latest stretch of
// the tape, so closing parentheses and powers fall at the tape's end, and
// operators and opening parentheses go before the first symbol of a stretch.
class TextTape {
public:
    enum class Affix : std::uint8_t { Times, Over, OneOver, Open, Close, Power };

    explicit TextTape(const UnitDatabase& database) : database_(&database) {}

    // Records a symbol, looked up in the database as the text builder looks
    // it up; returns its position.
    std::uint32_t symbol(const ustring& text);
    // Puts `affix` before everything already written before the symbol at
    // `at`; the latest is the outermost.
    void prefix(std::uint32_t at, Affix affix);
    void close();
    void raise(ustring exponent);

    // The texts indexed by ConversionFormatType.
    std::array<ustring, 4> write() const;

    // The database's answer for `symbol`, kept for the first few distinct
    // short symbols (so that a hostile text costs no more), or null.
    const UnitDatabase::FirstUnit* find(std::u16string_view symbol) const;

private:
    struct Item {
        // A symbol, or else the closing parenthesis or power in `suffix`.
        bool isSymbol;
        Affix suffix;
        // 1 + the index of the latest prefix of a symbol, 0 for none.
        std::uint32_t prefixes;
        // A symbol's unit, null when the text stands for itself.
        const UnitBase* unit;
        // A symbol without unit or a power: its entry in texts_.
        std::uint32_t text;
    };
    struct Prefix {
        Affix affix;
        std::uint32_t next;
    };
    // Hands every piece of the four texts to `out`, indexed by form.
    template <typename Out> void emit(std::array<Out, 4>& out) const;

    struct Answer {
        ustring symbol;
        UnitDatabase::FirstUnit found;
    };

    const UnitDatabase* database_;
    boost::container::small_vector<Answer, 4> answers_;
    boost::container::small_vector<Item, 12> items_;
    boost::container::small_vector<Prefix, 12> prefixes_;
    // Power texts, and for symbols without unit their own and typeset texts.
    boost::container::small_vector<ustring, 4> texts_;
};

// The hand reader's builder for an expression and its four texts.
class TextTapeBuilder {
public:
    struct Result {
        UnitExpr expr;
        std::uint32_t first = 0;
    };
    using SubExpr = Result;
    struct Exponent {
        CvUnitSys::Exponent value;
        GenExprUtil::Exponent text;
    };
    using Rational = UnitASTGenUtils::Rational;

    void multiply(Result& value, Result& operand);
    void divide(Result& value, Result& operand);
    void invertInto(Result& value, Result& operand);
    void fromSymbol(Result& value, const ustring& symbol);
    void fromSub(Result& value, SubExpr& sub);
    void parenthesize(SubExpr& sub, Result& value);
    void raise(Result& value, Exponent& e);
    static void fromNumber(Exponent& e, double x);
    static void fromRational(Exponent& e, const Rational& r);
    static void makeRational(Rational& r, int numerator, int denominator);

    explicit TextTapeBuilder(const UnitDatabase& database) : tape_(database) {}

    const TextTape& tape() const { return tape_; }

private:
    TextTape tape_;
};

} // namespace CvUnitSys
