#include "units/model/CompositeUnit.hpp"

#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/model/UnitFactory.hpp"

namespace CvUnitSys {

namespace {

StoredConversionFactor compositeFactor(const UnitPrefix& prefix, const Unit& unit) {
    const auto& p = prefix.getConversionFactor();
    const auto& u = unit.getConversionFactor();
    return {getCompositeConversionFactor(p.first, p.second, u.first, u.second),
            ConversionFactorType::Composite};
}

} // namespace

CompositeUnit::CompositeUnit(std::reference_wrapper<const UnitPrefix> prefix,
                             std::reference_wrapper<const Unit> unit)
    : Unit(-10, ustring(prefix.get().getName()) + ustring(unit.get().getName()),
           unit.get().getExpression(),
           ustring(prefix.get().getSymbol()) + ustring(unit.get().getSymbol()),
           ustring(prefix.get().getAsciiSymbol()) + ustring(unit.get().getAsciiSymbol()),
           ustring(prefix.get().getDisplay()) + ustring(unit.get().getDisplay()),
           compositeFactor(prefix.get(), unit.get()), *unit.get().getPhysicalQuantity()),
      prefix_(&prefix.get()), unit_(&unit.get()),
      prefixOnly_(unit.get().compare(UnitFactory::getDummyUnit()) == 0) {
    settleSortClass();
}

std::unique_ptr<UnitBase> CompositeUnit::clone() const {
    return std::make_unique<CompositeUnit>(*this);
}

const std::vector<std::shared_ptr<UnitSystem>>& CompositeUnit::getUnitSystems() const {
    return prefixOnly_ ? prefix_->getUnitSystems() : unit_->getUnitSystems();
}

const Unit::PrefixSet& CompositeUnit::getUnitPrefixes() const {
    static const PrefixSet none;
    return none;
}

} // namespace CvUnitSys
