#pragma once

#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/query/UnitTable.hpp"

#include <boost/multiprecision/cpp_int.hpp>
#include <cstdint>
#include <optional>
#include <string>

namespace cvunits {

// The conversion between two units as exact rationals, output = scale * input +
// offset. The library hands out the factor between two units as a double
// rounded once; when both units are defined by exact factors the exact value
// is known too, and people want to see it ("381/1250" rather than 0.3048).
struct ExactConversion {
    boost::multiprecision::cpp_rational scale;
    boost::multiprecision::cpp_rational offset;

    // "381/1250", "9/5*x + 32", "x + 5463/20".
    std::string text() const;
    // The value converted with one rounding at the end, so that exact
    // conversions of exact inputs come out exact (60 degRo is 100 degC).
    double apply(double value) const;
};

// Nothing when either unit's definition holds a factor that is not exact, when
// the conversion goes through a relation between quantities, or inverts.
std::optional<ExactConversion>
exactConversion(CvUnitSys::UnitTable& table, std::int32_t from, std::int32_t to,
                const CvUnitSys::UnitNumericInfoForConversions& info);

} // namespace cvunits
