#pragma once

#include "units/db/UnitDatabase.hpp"
#include "units/expr/FormTexts.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/UnitASTGenUtils.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <boost/container/small_vector.hpp>
#include <cstdint>
#include <string_view>

namespace CvUnitSys {

class UnitBase;

// The four converted texts of an expression, recorded while the hand reader
// reads it and written once at the end: building them as the parse goes
// copies and grows four strings per step. Each form's length is counted as it
// is recorded, so a text is written straight into its string at its final
// size, and one of another length than the text read cannot equal it. It
// relies on the hand reader's order: every value it builds is the latest
// stretch of the tape, so closing parentheses and powers fall at the tape's
// end, and operators and opening parentheses go before the first symbol of a
// stretch.
class TextTape {
public:
    enum class Affix : std::uint8_t { Times, Over, OneOver, Open, Close, Power };

    explicit TextTape(const UnitDatabase& database) : database_(&database) {}

    // Records a symbol, looked up in the database as the text builder looks
    // it up; returns its position and sets `first` to the database's first
    // unit for it. The text must outlive the tape.
    std::uint32_t symbol(std::u16string_view text, const UnitBase*& first);
    // Puts `affix` before everything already written before the symbol at
    // `at`; the latest is the outermost.
    void prefix(std::uint32_t at, Affix affix);
    void close();
    void raise(std::u16string_view exponent);

    // The texts, `source` being the text read: a form equal to it is not
    // copied, and the ASCII form is the Symbol form when every unit's ASCII
    // symbol is its symbol.
    FormTexts write(std::u16string_view source) const;

private:
    struct Item {
        // A symbol, or else the closing parenthesis or power in `suffix`.
        bool isSymbol;
        Affix suffix;
        // 1 + the index of the latest prefix of a symbol, 0 for none.
        std::uint32_t prefixes;
        // A symbol's unit, null when the text stands for itself.
        const UnitBase* unit;
        // A symbol without unit: its entry in texts_. A power: where its
        // exponent starts in chars_, and its length.
        std::uint32_t text;
        std::uint32_t size;
    };
    struct Prefix {
        Affix affix;
        std::uint32_t next;
    };
    // Writes every piece of the first `Forms` texts at `at`, indexed by form.
    template <std::size_t Forms> void emit(std::array<char16_t*, 4>& at) const;
    // Records a symbol that stands for itself. Out of line: most symbols name
    // a unit, and their path then saves and restores fewer registers.
    [[gnu::noinline]] std::uint32_t symbolOfItself(std::u16string_view text);
    // Counts an affix written in the typeset form and in the plain ones.
    void grow(std::size_t typeset, std::size_t plain);
    const UnitDatabase* database_;
    boost::container::small_vector<Item, 12> items_;
    boost::container::small_vector<Prefix, 12> prefixes_;
    // For symbols without unit, their own and typeset texts.
    boost::container::small_vector<ustring, 4> texts_;
    // The exponents' texts, one after the other.
    boost::container::small_vector<char16_t, 16> chars_;
    // Each form's length so far, indexed by form.
    std::array<std::size_t, 4> sizes_{};
    bool asciiIsSymbol_ = true;
};

// The hand reader's builder for an expression's symbols and its four texts.
// A value's symbols are a stretch at the end of one list, each once: in the
// reader's order an operand is always the stretch right after the value it
// joins, so a product merges in place with no map and no allocation. Merging
// scans the value, so past maxFactors entries the builder gives up and the
// text is left to a reader that keeps a map.
class TextTapeBuilder {
public:
    struct Result {
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
        // The tape position of the value's first symbol.
        std::uint32_t first = 0;
    };
    using SubExpr = Result;
    struct Exponent {
        CvUnitSys::Exponent value;
        // Its text as the grammar's text builder writes it, which is at most
        // two 32-bit integers and a slash.
        std::array<char16_t, 24> text;
        std::uint8_t size;
    };
    using Rational = UnitASTGenUtils::Rational;
    static constexpr std::size_t maxFactors = 32;

    void multiply(Result& value, Result& operand);
    void divide(Result& value, Result& operand);
    void invertInto(Result& value, Result& operand);
    void fromSymbol(Result& value, std::u16string_view symbol);
    static void fromSub(Result& value, SubExpr& sub) { value = sub; }
    void parenthesize(SubExpr& sub, Result& value);
    void raise(Result& value, Exponent& e);
    static void fromNumber(Exponent& e, double x);
    static void fromRational(Exponent& e, const Rational& r);
    static void makeRational(Rational& r, int numerator, int denominator);

    explicit TextTapeBuilder(const UnitDatabase& database) : tape_(database) {}

    // Too many symbols to merge by scanning: the reader stops.
    bool full() const { return full_; }
    const TextTape& tape() const { return tape_; }
    // The value's symbols in the order of UnitExpr's map: views into the text
    // read.
    template <typename Out> Out symbolsOf(const Result& value) const {
        // A few distinct symbols, which mostly differ in their first letter:
        // each is put in place as it is taken.
        const auto before = [](std::u16string_view a, std::u16string_view b) {
            return a.front() != b.front() ? a.front() < b.front() : a < b;
        };
        Out out;
        for (std::uint32_t i = value.begin; i < value.end; ++i) {
            const ParsedSymbol& factor = factors_[i];
            out.push_back(factor);
            auto at = out.end() - 1;
            for (; at != out.begin() && before(factor.text, (at - 1)->text); --at) {
                *at = *(at - 1);
            }
            *at = factor;
        }
        return out;
    }

private:
    // Moves the operand's symbols into the value, each inverted part by part
    // when `invert`, adding the exponents of a symbol both have.
    void merge(Result& value, const Result& operand, bool invert);

    TextTape tape_;
    boost::container::small_vector<ParsedSymbol, 8> factors_;
    bool full_ = false;
};

} // namespace CvUnitSys
