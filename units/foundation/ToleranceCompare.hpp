#pragma once

namespace CvUnitSys {

// Relative tolerance of one machine epsilon with a floor of 1 on the scale, so
// that values near zero are compared with an absolute tolerance of epsilon.
// A NaN on either side compares unequal.
bool equalWithinTolerance(double a, double b);
bool isZeroWithinTolerance(double x);

} // namespace CvUnitSys
