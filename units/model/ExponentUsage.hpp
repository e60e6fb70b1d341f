#pragma once

namespace CvUnitSys {

// How two resolved expressions compare their exponents. A plain enumeration over
// int on purpose: callers pass integers through, and every non-zero value means
// UseSimplifiedExpo.
enum ExponentUsage : int {
    // Both parts of every exponent: m/m differs from 1.
    UsePosNegExpo = 0,
    // Simplified exponents, entries that simplify to zero ignored: m/m equals 1.
    UseSimplifiedExpo = 1
};

} // namespace CvUnitSys
