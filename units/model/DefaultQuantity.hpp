#pragma once

#include "units/model/UnitBase.hpp"
#include "units/model/UnitFactory.hpp"

namespace CvUnitSys {

// The quantity of a text that names none. Asked for on every registration and
// pair: an inline reference, no call past the first.
inline const UnitBase& defaultQuantity() {
    static const UnitBase& any = UnitFactory::getDefaultPhysicalQuantity();
    return any;
}

// Entities that compare equal have the same symbol: a symbol of another length
// rules the default quantity out without a full compare.
inline bool isDefaultQuantity(const UnitBase& quantity) {
    const UnitBase& any = defaultQuantity();
    return &quantity == &any ||
           (quantity.getSymbol().size() == any.getSymbol().size() && quantity.compare(any) == 0);
}

} // namespace CvUnitSys
