#include "units/foundation/ToleranceCompare.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace CvUnitSys {

bool equalWithinTolerance(double a, double b) {
    // Equal infinities are equal, though their difference is NaN.
    if (a == b) {
        return true;
    }
    const double scale = std::max({std::fabs(a), 1.0, std::fabs(b)});
    return std::fabs(a - b) < scale * std::numeric_limits<double>::epsilon();
}

bool isZeroWithinTolerance(double x) {
    return equalWithinTolerance(x, 0.0);
}

} // namespace CvUnitSys
