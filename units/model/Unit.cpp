#include "units/model/Unit.hpp"

#include "units/model/UnitFactory.hpp"
#include "units/model/UnitModelLookup.hpp"

namespace CvUnitSys {

const ustring Unit::UnitInheritUStr = u"inherit";

Unit::Unit(std::int32_t id, const ustring& name, const ustring& expression, const ustring& symbol,
           const ustring& asciiSymbol, const ustring& display,
           const StoredConversionFactor& conversionFactor,
           std::reference_wrapper<const UnitBase> physicalQuantity)
    : UnitBase(id, name, expression, display, symbol, asciiSymbol, conversionFactor),
      physicalQuantity_(&physicalQuantity.get()) {}

std::unique_ptr<UnitBase> Unit::clone() const {
    return std::make_unique<Unit>(*this);
}

bool Unit::hasDefaultPhysicalQuantity() const {
    return getPhysicalQuantity()->compare(UnitFactory::getDefaultPhysicalQuantity()) == 0;
}

bool Unit::isInherit() const {
    if (getName() == UnitInheritUStr) {
        return true;
    }
    return getName().empty() && !hasDefaultPhysicalQuantity();
}

bool Unit::isPQOnly() const {
    if (!getName().empty() && getName() != UnitInheritUStr) {
        return false;
    }
    return !hasDefaultPhysicalQuantity();
}

void Unit::addPrefix(std::reference_wrapper<const UnitPrefix> prefix) {
    availablePrefixes_.insert(prefix);
}

void Unit::addAvailablePrefix(const ustring& prefixName) {
    const auto prefixes = UnitModelLookup::builtInPrefixes(prefixName);
    if (!prefixes.empty()) {
        addPrefix(*prefixes.begin());
    }
}

bool Unit::hasPrefix(std::reference_wrapper<const UnitPrefix> prefix) const {
    return availablePrefixes_.contains(prefix);
}

void Unit::addOwnerUnitSystem(const ustring& systemName) {
    if (auto system = UnitModelLookup::managerUnitSystem(systemName)) {
        unitSystems_.push_back(std::move(system));
    }
}

int Unit::compareTemplate(const UnitBase& other) const {
    const auto* otherUnit = dynamic_cast<const Unit*>(&other);
    if (otherUnit == nullptr) {
        return compareUnitTypes(other);
    }
    if (const int c = compareText(getSubUnit(), otherUnit->getSubUnit()); c != 0) {
        return c;
    }
    return getPhysicalQuantity()->compare(*otherUnit->getPhysicalQuantity());
}

} // namespace CvUnitSys
