#pragma once

// The words, numbers and operators of a unit text as people type it.

#include <boost/multiprecision/cpp_int.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace cvunits {

enum class Kind { Word, Number, Times, Divide, Open, Close, Power };

struct Token {
    Kind kind;
    std::string text; // a Power's text is its exponent as written: "2", "(1/2)"
    std::size_t at;   // byte of the typed text where it starts
};

// The typed text split into tokens, after the characters people type for
// operators, spaces and exponents (the middle dot, the minus sign,
// superscripts) were read as the grammar writes them. "per" is a division;
// a word that starts with a number ("100km") is the number and the word.
std::vector<Token> typedTokens(std::string_view typed);
// As above for a text in the library's notation, taken character for character.
std::vector<Token> notationTokens(std::string_view text);

// The exact value of a decimal number text ("2.5", "1e-3"); its power of ten
// is kept within a double's range.
boost::multiprecision::cpp_rational decimalValue(std::string_view text);
// An exponent's value as the grammar reads it: a number, or a parenthesised
// number or ratio of integers.
double exponentValue(std::string_view exponent);

} // namespace cvunits
