#pragma once

// The conversion between two units as exact rationals. The library hands out
// the factor between two units as a double rounded once; when both units are
// defined by exact factors the exact value is known too, and people want to
// see it ("381/1250" rather than 0.3048).

#include "units/cv_units.hpp"
#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/query/UnitTable.hpp"

#include <boost/multiprecision/cpp_int.hpp>
#include <cstdint>
#include <optional>

namespace cv_units {

// output = scale * input + offset.
struct ExactAffine {
    boost::multiprecision::cpp_rational scale;
    boost::multiprecision::cpp_rational offset;
};

// Nothing when either unit's definition holds a factor that is not exact, when
// the conversion goes through a relation between quantities, or inverts.
std::optional<ExactAffine> exactConversion(CvUnitSys::UnitTable& table, std::int32_t from,
                                           std::int32_t to,
                                           const CvUnitSys::UnitNumericInfoForConversions& info);

Rational toRational(const boost::multiprecision::cpp_rational& r);
// The rational in the widest floating type, so that applying it rounds once
// more only at the end.
long double extended(const boost::multiprecision::cpp_rational& r);

} // namespace cv_units
