#pragma once

#include "units/foundation/Exponent.hpp"

#include <string_view>

namespace CvUnitSys {

class UnitBase;

// One distinct symbol of a parsed unit expression, with its exponent and the
// built-in database's first unit for it (null when it has none or was not
// asked). The text is a view: whoever parsed it says how long it lives.
struct ParsedSymbol {
    std::u16string_view text;
    Exponent exponent;
    const UnitBase* first = nullptr;
    // The first unit's symbol and ASCII symbol are the text, as the database answered.
    bool symbolIsText = false;
};

} // namespace CvUnitSys
