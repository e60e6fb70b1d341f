#pragma once

// The one grammar of unit expressions. It is parameterised by a builder that
// says what each construct yields, so that parsing into a UnitExpr and
// rewriting an expression as text share every rule and character class.
//
// Builder requirements (all static):
//   types Result, SubExpr, Exponent, Rational
//   take(Result&, Result&)              the leading operand becomes the value
//   multiply(Result&, Result&), divide(Result&, Result&)
//   invertInto(Result&, Result&)        value of "1/term"
//   fromSymbol(Result&, const ustring&)
//   fromSub(Result&, SubExpr&), parenthesize(SubExpr&, Result&)
//   raise(Result&, const Exponent&)
//   fromNumber(Exponent&, double), fromRational(Exponent&, const Rational&)
//   makeRational(Rational&, int, int)

#ifndef BOOST_SPIRIT_UNICODE
#define BOOST_SPIRIT_UNICODE
#endif

#include "units/expr/UnitParseError.hpp"
#include "units/platform/TextServices.hpp"

#include <boost/phoenix/bind/bind_function.hpp>
#include <boost/phoenix/bind/bind_member_function.hpp>
#include <boost/phoenix/core.hpp>
#include <boost/phoenix/operator.hpp>
#include <boost/spirit/include/qi.hpp>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>
#include <vector>

namespace CvUnitSys {

namespace qi = boost::spirit::qi;

// Characters that can neither start nor continue a symbol. Given to a
// character-set parser, where a trailing '-' is taken literally.
inline constexpr const char* unitSymbolExcludedChars = "@*/^()+\\\"'{}[]<>&-";

// Records a hard error of the grammar: where the expected element was sought,
// after any white space before it.
template <typename Iterator> class ErrorHandler {
public:
    // `text` is the whole input that `begin` starts.
    void start(std::u32string_view text, Iterator begin) {
        text_ = text;
        begin_ = begin;
        errors_.clear();
    }

    void record(Iterator position) {
        auto index = static_cast<std::size_t>(position - begin_);
        while (index < text_.size() && boost::spirit::ucd::is_white_space(text_[index])) {
            ++index;
        }
        errors_.push_back(UnitParseError{ustring(), unitParseColumn(text_, index)});
    }

    const std::vector<UnitParseError>& errors() const { return errors_; }

private:
    std::u32string_view text_;
    Iterator begin_{};
    std::vector<UnitParseError> errors_;
};

template <typename Iterator, typename Builder>
class ExprParser
    : public qi::grammar<Iterator, typename Builder::Result(), boost::spirit::unicode::space_type> {
public:
    using Result = typename Builder::Result;
    using SubExpr = typename Builder::SubExpr;
    using ExponentT = typename Builder::Exponent;
    using RationalT = typename Builder::Rational;
    using Skipper = boost::spirit::unicode::space_type;

    ExprParser() : ExprParser::base_type(expression) {
        namespace phx = boost::phoenix;
        namespace unicode = boost::spirit::unicode;
        using qi::_1;
        using qi::_2;
        using qi::_3;
        using qi::_val;

        expression = leadingTerm[phx::bind(&Builder::take, _val, _1)] >
                     *(('*' > term[phx::bind(&Builder::multiply, _val, _1)]) |
                       ('/' > term[phx::bind(&Builder::divide, _val, _1)]));

        leadingTerm = (qi::lit('1') >> ('/' > term[phx::bind(&Builder::invertInto, _val, _1)])) |
                      term[phx::bind(&Builder::take, _val, _1)];

        term = (parenthesized[phx::bind(&Builder::fromSub, _val, _1)] |
                symbol[phx::bind(&ExprParser::fromSymbol, _val, _1)]) >
               *('^' > exponent[phx::bind(&Builder::raise, _val, _1)]);

        parenthesized = '(' > expression[phx::bind(&Builder::parenthesize, _val, _1)] > ')';

        symbol = qi::eps > qi::lexeme[+(unicode::graph - unicode::char_(unitSymbolExcludedChars))];

        exponent = exponentNumber[_val = _1] |
                   ('(' > (rational[phx::bind(&Builder::fromRational, _val, _1)] |
                           exponentNumber[_val = _1] | exponent[_val = _1]) > ')');

        // The standard real-number syntax, words and NaN payloads included. raw[]
        // puts the position back when the parser refuses a number out of range
        // after reading it, so that the error points at the number.
        numberText = qi::lexeme[qi::raw[qi::double_]];
        exponentNumber =
            numberText[phx::bind(&Builder::fromNumber, _val, phx::bind(&numberValue, _1))];

        rational = (qi::int_ >> ('/' > qi::int_))[phx::bind(&Builder::makeRational, _val, _1, _2)];

        qi::on_error<qi::fail>(expression,
                               phx::bind(&ErrorHandler<Iterator>::record, &errorHandler, _3));
    }

    ExprParser(const ExprParser&) = delete;
    ExprParser& operator=(const ExprParser&) = delete;

    ErrorHandler<Iterator>& getErrorHandler() { return errorHandler; }

private:
    // The value of a number the syntax accepted. Digits are read in the C locale
    // whatever the host's locale; the words give an infinity or a NaN, whose
    // sign and payload mean nothing for an exponent.
    static double numberValue(const boost::iterator_range<Iterator>& text) {
        auto first = text.begin();
        const bool negative = *first == U'-';
        if (*first == U'-' || *first == U'+') {
            ++first;
        }
        if (*first == U'n' || *first == U'N') {
            return std::numeric_limits<double>::quiet_NaN();
        }
        if (*first == U'i' || *first == U'I') {
            return negative ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
        }
        std::string ascii(negative ? "-" : "");
        for (; first != text.end(); ++first) {
            ascii.push_back(static_cast<char>(*first));
        }
        // from_chars is locale-free and far cheaper; it refuses only what is out
        // of range, which strtod rounds.
        double value = 0;
        if (const auto [ptr, ec] =
                std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
            ec == std::errc{} && ptr == ascii.data() + ascii.size()) {
            return value;
        }
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        return strtod_l(ascii.c_str(), nullptr, cLocale);
    }

    // Builders take the symbol as UTF-16, converted once for all of them.
    static void fromSymbol(Result& value, const std::u32string& symbol) {
        Builder::fromSymbol(value, TextServices::fromUtf32(symbol));
    }

    qi::rule<Iterator, Result(), Skipper> expression;
    qi::rule<Iterator, Result(), Skipper> leadingTerm;
    qi::rule<Iterator, Result(), Skipper> term;
    qi::rule<Iterator, SubExpr(), Skipper> parenthesized;
    qi::rule<Iterator, std::u32string(), Skipper> symbol;
    qi::rule<Iterator, ExponentT(), Skipper> exponent;
    qi::rule<Iterator, ExponentT(), Skipper> exponentNumber;
    qi::rule<Iterator, boost::iterator_range<Iterator>(), Skipper> numberText;
    qi::rule<Iterator, RationalT(), Skipper> rational;
    ErrorHandler<Iterator> errorHandler;
};

// The grammar holds no state that outlives a call, so each thread keeps one per
// builder instead of building its rules again for every expression.
template <typename Builder>
ExprParser<std::u32string::const_iterator, Builder>& threadExprParser() {
    thread_local ExprParser<std::u32string::const_iterator, Builder> parser;
    return parser;
}

} // namespace CvUnitSys
