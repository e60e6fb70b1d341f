#pragma once

#include "units/model/UnitBase.hpp"

namespace CvUnitSys {

// A physical quantity such as length or thermodynamic temperature; it always
// carries the default conversion factor.
class PhysicalQuantity : public UnitBase {
public:
    PhysicalQuantity(std::int32_t id, const ustring& name, const ustring& expression,
                     const ustring& display, const ustring& symbol, const ustring& asciiSymbol);
    // Only the expression is set; the id is 0.
    explicit PhysicalQuantity(const ustring& expression);
    PhysicalQuantity(const PhysicalQuantity&) = default;

    UnitType getUnitType() const override { return UNIT_TYPE_PHYSICAL_QUANTITY; }
    std::unique_ptr<UnitBase> clone() const override;
    std::string getUnitIdText() const override { return "dummy Abstract Unit ID"; }
};

} // namespace CvUnitSys
