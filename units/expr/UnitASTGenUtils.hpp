#pragma once

#include "units/foundation/UString.hpp"

#include <cstdint>

namespace CvUnitSys::UnitASTGenUtils {

// The text of one symbol token, as typed.
struct Symbol {
    ustring text;
};

// An exponent written as an integer ratio, before it becomes a double.
struct Rational {
    std::int32_t numerator = 0;
    std::int32_t denominator = 1;
};

} // namespace CvUnitSys::UnitASTGenUtils
