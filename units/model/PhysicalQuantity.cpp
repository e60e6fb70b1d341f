#include "units/model/PhysicalQuantity.hpp"

namespace CvUnitSys {

PhysicalQuantity::PhysicalQuantity(std::int32_t id, const ustring& name, const ustring& expression,
                                   const ustring& display, const ustring& symbol,
                                   const ustring& asciiSymbol)
    : UnitBase(id, name, expression, display, symbol, asciiSymbol,
               defaultStoredConversionFactor()) {}

PhysicalQuantity::PhysicalQuantity(const ustring& expression)
    : UnitBase(expression, defaultStoredConversionFactor()) {}

std::unique_ptr<UnitBase> PhysicalQuantity::clone() const {
    return std::make_unique<PhysicalQuantity>(*this);
}

} // namespace CvUnitSys
