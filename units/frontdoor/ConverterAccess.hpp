#pragma once

// How a context makes the converters it hands out.

#include "units/cv_units.hpp"
#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/frontdoor/ExactConversion.hpp"

#include <optional>
#include <string_view>

namespace cv_units {

struct ConverterAccess {
    static Converter make(const CvUnitSys::UnitNumericInfoForConversions& info,
                          const std::optional<ExactAffine>& exact, std::string_view from,
                          std::string_view to);
};

} // namespace cv_units
