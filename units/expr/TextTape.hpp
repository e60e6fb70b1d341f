#pragma once

#include "units/db/UnitDatabase.hpp"
#include "units/expr/CommonShapeParser.hpp"
#include "units/expr/FormTexts.hpp"
#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/UnitASTGenUtils.hpp"
#include "units/foundation/UString.hpp"

#include <array>
#include <boost/container/small_vector.hpp>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace CvUnitSys {

class UnitBase;

// The four converted texts of an expression, written as the hand reader reads
// it: each token's texts go at the end of the forms, since the reader tells
// of every token where it stands. The forms are written into buffers of the
// tape's own, from which the unit's texts are copied once. The display and
// name forms may be left out, for a unit that makes them when asked.
class TextTape {
public:
    TextTape(const UnitDatabase& database, bool allForms);
    TextTape(const TextTape&) = delete;
    TextTape& operator=(const TextTape&) = delete;

    // Writes a symbol, looked up in the database as the text builder looks
    // it up, and returns the database's answer for it. The text must outlive
    // the tape.
    UnitDatabase::FirstUnit symbol(std::u16string_view text);
    void lead(Lead token);
    void close();
    void raise(std::u16string_view exponent);

    // The texts, `source` being the text read: views into the tape, which
    // must outlive them. A form equal to the source refers to it, and the
    // ASCII form is the Symbol form when every unit's ASCII symbol is its symbol.
    // Forms left out are marked as made later.
    FormTexts write(std::u16string_view source) const;

private:
    // Writes a symbol's texts: its unit's, or its own when the answer has no
    // single unit.
    void putSymbol(std::u16string_view text, const UnitDatabase::FirstUnit& found);
    // The position is read before the copy and stored after it: the copy's
    // stores could otherwise be taken to change it.
    void put(std::size_t form, std::u16string_view piece) {
        char16_t* at = at_[form];
        if (static_cast<std::size_t>(limit_[form] - at) < piece.size()) {
            at = grow(form, piece.size());
        }
        copyText(at, piece.data(), piece.size());
        at_[form] = at + piece.size();
    }
    // A piece known when compiling: a few moves.
    template <std::size_t N> void put(std::size_t form, const char16_t (&piece)[N]) {
        char16_t* at = at_[form];
        if (static_cast<std::size_t>(limit_[form] - at) < N - 1) {
            at = grow(form, N - 1);
        }
        std::memcpy(at, piece, (N - 1) * sizeof(char16_t));
        at_[form] = at + (N - 1);
    }
    // The plain forms share every piece but the units' texts.
    template <typename Piece> void putPlain(const Piece& piece) {
        if (allForms_) {
            put(1, piece);
        }
        put(2, piece);
        if (forms_ == 4) {
            put(3, piece);
        }
    }
    // An operator or parenthesis, typeset and plain.
    template <std::size_t N, std::size_t M>
    void putAffix(const char16_t (&typeset)[N], const char16_t (&plain)[M]) {
        if (allForms_) {
            put(0, typeset);
        }
        putPlain(plain);
    }
    // Most pieces are a few characters: two overlapping moves copy them
    // without a call.
    static void copyText(char16_t* to, const char16_t* from, std::size_t size) {
        if (size > 16) {
            std::memcpy(to, from, size * sizeof(char16_t));
        } else if (size >= 8) {
            copyEnds<8>(to, from, size);
        } else if (size >= 4) {
            copyEnds<4>(to, from, size);
        } else if (size >= 2) {
            copyEnds<2>(to, from, size);
        } else if (size == 1) {
            *to = *from;
        }
    }
    // Copies the first and the last N characters of `size`, N <= size <= 2N.
    template <std::size_t N>
    static void copyEnds(char16_t* to, const char16_t* from, std::size_t size) {
        std::array<char16_t, N> head;
        std::array<char16_t, N> tail;
        std::memcpy(head.data(), from, sizeof head);
        std::memcpy(tail.data(), from + size - N, sizeof tail);
        std::memcpy(to, head.data(), sizeof head);
        std::memcpy(to + size - N, tail.data(), sizeof tail);
    }
    // Moves the form to a heap buffer with room for `more` characters;
    // returns where the next piece goes.
    char16_t* grow(std::size_t form, std::size_t more);
    // Most forms are a few dozen characters.
    static constexpr std::size_t inlineLength = 120;

    const UnitDatabase* database_;
    // Each form's text so far, indexed by form, and the end of its buffer.
    std::array<char16_t*, 4> begin_;
    std::array<char16_t*, 4> at_;
    std::array<char16_t*, 4> limit_;
    // The forms written: the ASCII form is left out while it is the Symbol form.
    std::size_t forms_ = 3;
    // Whether the display and name forms are written.
    bool allForms_;
    std::array<std::unique_ptr<char16_t[]>, 4> heap_;
    std::array<std::array<char16_t, inlineLength>, 4> inline_;
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

    void multiply(Result& value, Result& operand) { merge(value, operand, false); }
    void divide(Result& value, Result& operand) { merge(value, operand, true); }
    void invertInto(Result& value, Result& operand);
    void lead(Lead token) { tape_.lead(token); }
    void fromSymbol(Result& value, std::u16string_view symbol);
    static void fromSub(Result& value, SubExpr& sub) { value = sub; }
    void parenthesize(SubExpr& sub, Result& value) {
        tape_.close();
        sub = value;
    }
    void raise(Result& value, Exponent& e);
    static void fromNumber(Exponent& e, double x);
    static void fromRational(Exponent& e, const Rational& r);
    static void makeRational(Rational& r, int numerator, int denominator);

    TextTapeBuilder(const UnitDatabase& database, bool allForms) : tape_(database, allForms) {}

    // Reads `text` with the hand reader, which is compiled with this builder's
    // steps in view; nothing when it leaves the text to the grammar.
    std::optional<Result> read(std::u16string_view text);

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
        Out out(value.end - value.begin);
        std::size_t taken = 0;
        for (std::uint32_t i = value.begin; i < value.end; ++i) {
            const ParsedSymbol& factor = factors_[i];
            std::size_t at = taken++;
            for (; at != 0 && before(factor.text, out[at - 1].text); --at) {
                out[at] = out[at - 1];
            }
            out[at] = factor;
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
