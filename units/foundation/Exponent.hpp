#pragma once

#include "units/foundation/UString.hpp"

#include <limits>

namespace CvUnitSys {

// The power of one unit in an expression. The numerator and denominator parts
// are kept apart, so m/m has exponent (1, 1) rather than nothing: whether two
// expressions compare on both parts or on the simplified value is the caller's
// choice.
class Exponent {
public:
    static const Exponent zero;
    static const Exponent unity;

    Exponent() = default;
    Exponent(double x); // NOLINT(google-explicit-constructor): exponents are written as numbers
    Exponent(double positive, double negative) : pos_(positive), neg_(negative) {}

    // A part that is zero contributes nothing, even against an infinite one:
    // m^inf is (inf, 0), not (inf, NaN). Inline: every AST expansion raises
    // each entry by it.
    Exponent& operator*=(const Exponent& o) {
        // Raising by one, as nearly every expansion does, gives each part
        // plus zero: the same bits as the products below.
        if (o.pos_ == 1.0 && o.neg_ == 0.0) {
            pos_ += 0.0;
            neg_ += 0.0;
            return *this;
        }
        const double p = times(pos_, o.pos_) + times(neg_, o.neg_);
        const double n = times(pos_, o.neg_) + times(neg_, o.pos_);
        pos_ = p;
        neg_ = n;
        return *this;
    }
    Exponent& operator/=(const Exponent& o);
    Exponent& operator+=(const Exponent& o);

    double getPosExpo() const { return pos_; }
    double getNegExpo() const { return neg_; }
    double getSimplifiedExpo() const {
        const double s = pos_ - neg_;
        // inf - inf gives a NaN whose sign would print as "-nan".
        return s == s ? s : std::numeric_limits<double>::quiet_NaN();
    }
    bool isFractional() const;

    // Both parts equal within one machine epsilon (relative, floor 1).
    bool operator==(const Exponent& o) const;
    bool operator!=(const Exponent& o) const { return !(*this == o); }
    // Part by part against Exponent(k): (1, 1) == 0 is false.
    bool operator==(int k) const;

    // "pos:neg", six significant digits.
    ustring toUString() const;
    // The simplified value with "%f"; "Inf", "-Inf" or "NaN" when not finite.
    ustring toUStringSimplifiedExpo() const;

private:
    static double times(double a, double b) { return a == 0.0 || b == 0.0 ? 0.0 : a * b; }

    double pos_ = 0.0;
    double neg_ = 0.0;
};

} // namespace CvUnitSys
