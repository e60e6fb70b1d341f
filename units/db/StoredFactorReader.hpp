#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/UString.hpp"

#include <cstdint>

namespace CvUnitSys {

// Reads a factor text and kind from a database file, refusing what the
// factory would read leniently: it turns unreadable numbers into defaults,
// which would load a unit with a wrong factor and no word said. Throws
// "CorvaneTypes:Unit:UnitDatabaseFileLoadFieldError" (value, field) naming the
// text or the kind that is wrong.
ConversionFactor readStoredFactor(const ustring& text, std::int64_t type);

} // namespace CvUnitSys
