#pragma once

// The arithmetic that `propagate` and `calc` read: operands joined by + - * /,
// powers written ^2, ^-1, ^0.5 or ^(1/3), parentheses and a leading minus.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace CvUnitSys {

struct ArithmeticItem {
    enum Kind { Operand, Add, Subtract, Multiply, Divide, Power, Negate };
    Kind kind;
    // An operand's name, or in a quantity its unit ("ft" of "3 ft", "1" for a
    // bare number); the power's text for a power.
    std::string text;
    // A quantity's number as written ("3"), empty when there is none.
    std::string number;
    // The power's value.
    double power = 0;
    // The part of the input the item's subexpression spans, for messages.
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct ArithmeticError : std::runtime_error {
    ArithmeticError(const std::string& message, std::size_t at)
        : std::runtime_error(message), column(at) {}
    std::size_t column; // 1-based, in bytes
};

// Postfix order. With `quantities`, a number may be followed by a unit
// ("3 ft", "2 kWh", "9.81 m/s^2" reads as (9.81 m)/s^2) and a unit word may
// carry its own power ("5 m^2" is five square metres); otherwise operands are
// names. Reads the text in one pass without recursion, so nesting depth is
// bounded only by the length.
std::vector<ArithmeticItem> parseArithmetic(const std::string& text, bool quantities);

} // namespace CvUnitSys
