#include "TypedTokens.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <numeric>

namespace cvunits {

namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

// Characters people type for operators, spaces and exponents, each with what
// the grammar writes instead.
struct Spelling {
    std::string_view typed;
    std::string_view ascii;
};
constexpr std::array<Spelling, 22> spellings{{
    {"\u00B7", "*"}, {"\u22C5", "*"}, {"\u2219", "*"}, {"\u00D7", "*"}, {"\u00F7", "/"},
    {"\u2212", "-"}, {"\u00A0", " "}, {"\u2009", " "}, {"\u202F", " "}, {"\u2070", "0"},
    {"\u00B9", "1"}, {"\u00B2", "2"}, {"\u00B3", "3"}, {"\u2074", "4"}, {"\u2075", "5"},
    {"\u2076", "6"}, {"\u2077", "7"}, {"\u2078", "8"}, {"\u2079", "9"}, {"\u207B", "-"},
    {"\u207A", "+"}, {"\u2044", "/"},
}};
// Superscripts: the entries from U+2070 to U+207A above.
constexpr std::size_t firstSuperscript = 9;
constexpr std::size_t lastSuperscript = 20;

// The typed text with those characters replaced; a run of superscripts becomes
// "^" and the exponent. `origin` maps each byte of the result to the byte of
// the typed text it came from, for columns.
std::string plainCharacters(std::string_view typed, std::vector<std::size_t>& origin) {
    std::string out;
    bool inSuperscript = false;
    for (std::size_t i = 0; i < typed.size();) {
        const Spelling* match = nullptr;
        std::size_t index = 0;
        if (static_cast<unsigned char>(typed[i]) >= 0x80) {
            for (; index < spellings.size(); ++index) {
                if (typed.substr(i).starts_with(spellings[index].typed)) {
                    match = &spellings[index];
                    break;
                }
            }
        }
        const bool superscript =
            match != nullptr && index >= firstSuperscript && index <= lastSuperscript;
        if (superscript && !inSuperscript) {
            out += '^';
            origin.push_back(i);
        }
        inSuperscript = superscript;
        if (match != nullptr) {
            out += match->ascii;
            origin.insert(origin.end(), match->ascii.size(), i);
            i += match->typed.size();
        } else {
            out += typed[i];
            origin.push_back(i);
            ++i;
        }
    }
    origin.push_back(typed.size());
    return out;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isOperator(char c) {
    return c == '*' || c == '/' || c == '^' || c == '(' || c == ')';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of `text` ("100", "2.5",
// "1e-3"), or 0.
std::size_t numberLength(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && isDigit(text[n])) {
        ++n;
    }
    std::size_t digits = n;
    if (n < text.size() && text[n] == '.') {
        ++n;
        while (n < text.size() && isDigit(text[n])) {
            ++n;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (n < text.size() && (text[n] == 'e' || text[n] == 'E')) {
        std::size_t e = n + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) {
            ++e;
        }
        const std::size_t start = e;
        while (e < text.size() && isDigit(text[e])) {
            ++e;
        }
        if (e > start) {
            n = e;
        }
    }
    return n;
}

// Splits the plain text into tokens. Exponents are kept as written; "per" is
// a division; a word that starts with a number ("100km") is the number and
// the word.
std::vector<Token> split(std::string_view plain, const std::vector<std::size_t>& origin) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < plain.size()) {
        const char c = plain[i];
        const std::size_t at = origin[i];
        if (isSpace(c)) {
            ++i;
        } else if (c == '*' || c == '/' || c == '(' || c == ')') {
            out.push_back({c == '*'   ? Kind::Times
                           : c == '/' ? Kind::Divide
                           : c == '(' ? Kind::Open
                                      : Kind::Close,
                           std::string(1, c), at});
            ++i;
        } else if (c == '^') {
            std::size_t end = i + 1;
            while (end < plain.size() && isSpace(plain[end])) {
                ++end;
            }
            if (end < plain.size() && plain[end] == '(') {
                int depth = 0;
                do {
                    depth += plain[end] == '(' ? 1 : plain[end] == ')' ? -1 : 0;
                    ++end;
                } while (end < plain.size() && depth > 0);
            } else {
                while (end < plain.size() && !isSpace(plain[end]) && !isOperator(plain[end])) {
                    ++end;
                }
            }
            // Columns point at the exponent itself.
            out.push_back(
                {Kind::Power, std::string(plain.substr(i + 1, end - i - 1)), origin[i + 1]});
            i = end;
        } else {
            std::size_t end = i;
            while (end < plain.size() && !isSpace(plain[end]) && !isOperator(plain[end])) {
                ++end;
            }
            const std::string_view word = plain.substr(i, end - i);
            const std::size_t number = numberLength(word);
            if (word == "per" || word == "PER" || word == "Per") {
                out.push_back({Kind::Divide, "/", at});
            } else if (number > 0) {
                out.push_back({Kind::Number, std::string(word.substr(0, number)), at});
                if (number < word.size()) {
                    out.push_back(
                        {Kind::Word, std::string(word.substr(number)), origin[i + number]});
                }
            } else {
                out.push_back({Kind::Word, std::string(word), at});
            }
            i = end;
        }
    }
    return out;
}

} // namespace

std::vector<Token> typedTokens(std::string_view typed) {
    std::vector<std::size_t> origin;
    const std::string plain = plainCharacters(typed, origin);
    return split(plain, origin);
}

std::vector<Token> notationTokens(std::string_view text) {
    std::vector<std::size_t> origin(text.size() + 1);
    std::iota(origin.begin(), origin.end(), std::size_t{0});
    return split(text, origin);
}

// The exact value of a decimal number text.
cpp_rational decimalValue(std::string_view text) {
    const std::size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    // Beyond a double's range the number is as good as infinite or zero, and
    // ten to a huge power would take the memory.
    long exponent =
        e == std::string_view::npos
            ? 0
            : std::clamp(std::strtol(std::string(text.substr(e + 1)).c_str(), nullptr, 10), -400L,
                         400L);
    std::string digits;
    for (const char c : mantissa) {
        if (c == '.') {
            exponent -= static_cast<long>(mantissa.size() - mantissa.find('.') - 1);
        } else {
            digits += c;
        }
    }
    const cpp_int power =
        boost::multiprecision::pow(cpp_int(10), static_cast<unsigned>(std::labs(exponent)));
    const cpp_int value(digits);
    return exponent >= 0 ? cpp_rational(value * power) : cpp_rational(value, power);
}

// An exponent's value as the grammar reads it: a number, or a parenthesised
// number or ratio of integers.
double exponentValue(std::string_view exponent) {
    std::string inner(exponent);
    while (inner.size() >= 2 && inner.front() == '(' && inner.back() == ')') {
        inner = inner.substr(1, inner.size() - 2);
    }
    std::erase_if(inner, isSpace);
    if (const std::size_t slash = inner.find('/'); slash != std::string::npos) {
        return std::strtod(inner.c_str(), nullptr) /
               std::strtod(inner.c_str() + slash + 1, nullptr);
    }
    return std::strtod(inner.c_str(), nullptr);
}

} // namespace cvunits
