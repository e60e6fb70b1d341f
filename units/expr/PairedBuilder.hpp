#pragma once

#include "units/foundation/UString.hpp"

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
        both<&First::take, &Second::take>(value, operand);
    }
    static void multiply(Result& value, Result& operand) {
        both<&First::multiply, &Second::multiply>(value, operand);
    }
    static void divide(Result& value, Result& operand) {
        both<&First::divide, &Second::divide>(value, operand);
    }
    static void invertInto(Result& value, Result& operand) {
        both<&First::invertInto, &Second::invertInto>(value, operand);
    }
    static void fromSymbol(Result& value, const ustring& symbol) {
        First::fromSymbol(value.first, symbol);
        Second::fromSymbol(value.second, symbol);
    }
    static void fromSub(Result& value, SubExpr& sub) {
        both<&First::fromSub, &Second::fromSub>(value, sub);
    }
    static void parenthesize(SubExpr& sub, Result& value) {
        both<&First::parenthesize, &Second::parenthesize>(sub, value);
    }
    static void raise(Result& value, const Exponent& e) {
        both<&First::raise, &Second::raise>(value, e);
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

private:
    // One step of both builders, each on its half of the values.
    template <auto firstStep, auto secondStep, typename A, typename B>
    static void both(A& a, B& b) {
        firstStep(a.first, b.first);
        secondStep(a.second, b.second);
    }
};

} // namespace CvUnitSys
