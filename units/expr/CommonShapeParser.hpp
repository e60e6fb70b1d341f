#pragma once

#include "units/foundation/UString.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace CvUnitSys {

// The tokens that the grammar's builder calls come after: an operator, a
// leading "1/" or an opening parenthesis is joined to its operand only once
// the operand is read.
enum class Lead : std::uint8_t { Times, Over, OneOver, Open };

// Nearly every unit text is ASCII symbols joined by '*' and '/', raised to
// integer or integer-ratio powers, with parentheses. This reads that shape
// by hand, making the expression grammar's builder calls in the grammar's
// order (but for moving a leading term into an empty value: it is read there
// directly), so it yields exactly what the grammar yields for the same text. It
// gives nothing for anything else (other characters, powers that are not
// plain integers, deep nesting, any syntax error, a builder that says it is
// full): the grammar then parses the text and reports the errors. A builder
// that writes texts in reading order is also told of each Lead where it
// stands; every other call already falls where its token does.
template <typename Builder> class CommonShapeParser {
public:
    using Result = typename Builder::Result;

    static std::optional<Result> parse(std::u16string_view text) {
        Builder builder;
        return parse(text, builder);
    }

    // As above, with a builder that keeps state across its steps.
    // Nothing it reads goes past ASCII: any other character stops it there, so
    // the text is not scanned for one first.
    static std::optional<Result> parse(std::u16string_view text, Builder& builder) {
        CommonShapeParser parser(text, builder);
        Result value;
        if (!parser.expression(value, 0)) {
            return std::nullopt;
        }
        parser.skipSpace();
        if (parser.pos_ != text.size()) {
            return std::nullopt;
        }
        return value;
    }

    // Deeper parentheses are left to the grammar.
    static constexpr std::size_t maxDepth = 32;

private:
    using SubExpr = typename Builder::SubExpr;
    using Exponent = typename Builder::Exponent;
    using Rational = typename Builder::Rational;

    CommonShapeParser(std::u16string_view text, Builder& builder)
        : text_(text), builder_(builder) {}

    bool at(char16_t c) const { return pos_ < text_.size() && text_[pos_] == c; }

    // White space as the grammar skips it, in ASCII.
    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == u' ' || (text_[pos_] >= u'\t' && text_[pos_] <= u'\r'))) {
            ++pos_;
        }
    }

    // Visible ASCII but the grammar's operators and reserved characters.
    static bool isSymbolCharacter(char16_t c) {
        static constexpr auto table = [] {
            std::array<bool, 0x80> symbolCharacter{};
            const std::u16string_view excluded = u"@*/^()+\\\"'{}[]<>&-";
            for (char16_t d = 0x21; d < 0x7F; ++d) {
                symbolCharacter[d] = excluded.find(d) == std::u16string_view::npos;
            }
            return symbolCharacter;
        }();
        return c < 0x80 && table[c];
    }

    static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

    void lead(Lead token) {
        if constexpr (requires { builder_.lead(token); }) {
            builder_.lead(token);
        }
    }

    // `value` is empty: the leading term is read straight into it, which is
    // what taking the term into it would give.
    bool expression(Result& value, std::size_t depth) {
        if (!leadingTerm(value, depth)) {
            return false;
        }
        for (;;) {
            skipSpace();
            const bool product = at(u'*');
            if (!product && !at(u'/')) {
                return true;
            }
            ++pos_;
            lead(product ? Lead::Times : Lead::Over);
            Result operand;
            if (!term(operand, depth)) {
                return false;
            }
            if (product) {
                builder_.multiply(value, operand);
            } else {
                builder_.divide(value, operand);
            }
        }
    }

    // "1/term" inverts; a '1' not followed by '/' is read again as a symbol.
    bool leadingTerm(Result& value, std::size_t depth) {
        skipSpace();
        const std::size_t start = pos_;
        if (at(u'1')) {
            ++pos_;
            skipSpace();
            if (at(u'/')) {
                ++pos_;
                lead(Lead::OneOver);
                Result operand;
                if (!term(operand, depth)) {
                    return false;
                }
                builder_.invertInto(value, operand);
                return true;
            }
            pos_ = start;
        }
        return term(value, depth);
    }

    bool term(Result& value, std::size_t depth) {
        skipSpace();
        if (at(u'(')) {
            if (depth >= maxDepth) {
                return false;
            }
            ++pos_;
            lead(Lead::Open);
            SubExpr sub;
            Result inner;
            if (!expression(inner, depth + 1)) {
                return false;
            }
            builder_.parenthesize(sub, inner);
            skipSpace();
            if (!at(u')')) {
                return false;
            }
            ++pos_;
            builder_.fromSub(value, sub);
        } else {
            const std::size_t start = pos_;
            // Counted in a local: a member written on every step is stored every step.
            std::size_t end = start;
            while (end < text_.size() && isSymbolCharacter(text_[end])) {
                ++end;
            }
            pos_ = end;
            if (pos_ == start) {
                return false;
            }
            const std::u16string_view symbol = text_.substr(start, pos_ - start);
            // A builder that keeps views of the text is spared a copy.
            if constexpr (requires { builder_.fromSymbol(value, symbol); }) {
                builder_.fromSymbol(value, symbol);
            } else {
                builder_.fromSymbol(value, ustring(symbol));
            }
            if constexpr (requires { builder_.full(); }) {
                if (builder_.full()) {
                    return false;
                }
            }
        }
        for (;;) {
            skipSpace();
            if (!at(u'^')) {
                return true;
            }
            ++pos_;
            Exponent e;
            if (!exponent(e)) {
                return false;
            }
            builder_.raise(value, e);
        }
    }

    // A plain integer, or one in parentheses, or an integer ratio in them.
    bool exponent(Exponent& e) {
        skipSpace();
        if (!at(u'(')) {
            return number(e);
        }
        ++pos_;
        skipSpace();
        const std::size_t start = pos_;
        std::int32_t numerator = 0;
        if (!integer(numerator)) {
            return false;
        }
        skipSpace();
        if (at(u'/')) {
            ++pos_;
            skipSpace();
            std::int32_t denominator = 0;
            if (!integer(denominator)) {
                return false;
            }
            Rational r;
            builder_.makeRational(r, numerator, denominator);
            builder_.fromRational(e, r);
        } else {
            pos_ = start;
            if (!number(e)) {
                return false;
            }
        }
        skipSpace();
        if (!at(u')')) {
            return false;
        }
        ++pos_;
        return true;
    }

    // An optional sign and at most nine digits, which no 32-bit integer
    // overflows.
    bool integer(std::int32_t& value) {
        const bool negative = at(u'-');
        if (negative || at(u'+')) {
            ++pos_;
        }
        const std::size_t start = pos_;
        std::int32_t magnitude = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_]) && pos_ - start < 9) {
            magnitude = magnitude * 10 + (text_[pos_] - u'0');
            ++pos_;
        }
        if (pos_ == start || (pos_ < text_.size() && isDigit(text_[pos_]))) {
            return false;
        }
        value = negative ? -magnitude : magnitude;
        return true;
    }

    // An integer written as the grammar's real-number syntax reads it; a
    // fraction or an exponent part is left to the grammar.
    bool number(Exponent& e) {
        skipSpace();
        const bool negative = at(u'-');
        if (negative || at(u'+')) {
            ++pos_;
        }
        const std::size_t start = pos_;
        // Sixteen digits fit a 64-bit integer, whose conversion rounds as the
        // grammar's reading of the digits does.
        std::uint64_t magnitude = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_]) && pos_ - start < 16) {
            magnitude = magnitude * 10 + (text_[pos_] - u'0');
            ++pos_;
        }
        const std::size_t count = pos_ - start;
        if (count == 0 || (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == u'.' ||
                                                   text_[pos_] == u'e' || text_[pos_] == u'E'))) {
            return false;
        }
        const auto value = static_cast<double>(magnitude);
        builder_.fromNumber(e, negative ? -value : value);
        return true;
    }

    std::u16string_view text_;
    Builder& builder_;
    std::size_t pos_ = 0;
};

} // namespace CvUnitSys
