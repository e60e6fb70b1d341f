#pragma once

#include <string>
#include <type_traits>

namespace CvUnitSys {

// An expression-grammar builder that runs two builders side by side, so that
// one parse yields both of their results.
template <typename First, typename Second> struct PairedBuilder {
    struct Result {
        typename First::Result first;
        typename Second::Result second;
    };
    struct SubExpr {
        typename First::SubExpr first;
        typename Second::SubExpr second;
    };
    struct Exponent {
        typename First::Exponent first;
        typename Second::Exponent second;
    };
    static_assert(std::is_same_v<typename First::Rational, typename Second::Rational>);
    using Rational = typename First::Rational;

    static void take(Result& value, Result& operand) {
        First::take(value.first, operand.first);
        Second::take(value.second, operand.second);
    }
    static void multiply(Result& value, Result& operand) {
        First::multiply(value.first, operand.first);
        Second::multiply(value.second, operand.second);
    }
    static void divide(Result& value, Result& operand) {
        First::divide(value.first, operand.first);
        Second::divide(value.second, operand.second);
    }
    static void invertInto(Result& value, Result& operand) {
        First::invertInto(value.first, operand.first);
        Second::invertInto(value.second, operand.second);
    }
    static void fromSymbol(Result& value, const std::u32string& symbol) {
        First::fromSymbol(value.first, symbol);
        Second::fromSymbol(value.second, symbol);
    }
    static void fromSub(Result& value, SubExpr& sub) {
        First::fromSub(value.first, sub.first);
        Second::fromSub(value.second, sub.second);
    }
    static void parenthesize(SubExpr& sub, Result& value) {
        First::parenthesize(sub.first, value.first);
        Second::parenthesize(sub.second, value.second);
    }
    static void raise(Result& value, const Exponent& e) {
        First::raise(value.first, e.first);
        Second::raise(value.second, e.second);
    }
    static void fromNumber(Exponent& e, double x) {
        First::fromNumber(e.first, x);
        Second::fromNumber(e.second, x);
    }
    static void fromRational(Exponent& e, const Rational& r) {
        First::fromRational(e.first, r);
        Second::fromRational(e.second, r);
    }
    static void makeRational(Rational& r, int numerator, int denominator) {
        First::makeRational(r, numerator, denominator);
    }
};

} // namespace CvUnitSys
