#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/ConversionFactorType.hpp"
#include "units/foundation/UString.hpp"

#include <utility>

namespace CvUnitSys {

// A conversion factor as the database stores it: its text and its kind. The
// entities keep this form; the factor itself is built when a definition needs it.
using StoredConversionFactor = std::pair<ustring, ConversionFactorType>;

// The factor of physical quantities and of entities given none: "1", a double.
inline StoredConversionFactor defaultStoredConversionFactor() {
    return {ConversionFactor::defaultValue, ConversionFactorType::Double};
}

} // namespace CvUnitSys
