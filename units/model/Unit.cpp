#include "units/model/Unit.hpp"

#include "units/model/UnitFactory.hpp"
#include "units/model/UnitModelLookup.hpp"

#include <algorithm>
#include <utility>

namespace CvUnitSys {

const ustring Unit::UnitInheritUStr = u"inherit";

// A table keeps one unit per registered text: five words fill a 48-byte heap chunk.
static_assert(sizeof(Unit) <= 5 * sizeof(void*));

Unit::Unit(std::int32_t id, std::u16string_view name, std::u16string_view expression,
           std::u16string_view symbol, std::u16string_view asciiSymbol, std::u16string_view display,
           const StoredConversionFactor& conversionFactor,
           std::reference_wrapper<const UnitBase> physicalQuantity)
    : Unit(id, UnitTexts(name, symbol, asciiSymbol, display, expression), conversionFactor,
           physicalQuantity) {}

Unit::Unit(std::int32_t id, UnitTexts texts, const StoredConversionFactor& conversionFactor,
           std::reference_wrapper<const UnitBase> physicalQuantity)
    : UnitBase(id, std::move(texts), detailsFor(conversionFactor)),
      physicalQuantity_(&physicalQuantity.get()) {}

std::unique_ptr<UnitBase> Unit::clone() const {
    return std::make_unique<Unit>(*this);
}

bool Unit::hasDefaultPhysicalQuantity() const {
    return getPhysicalQuantity()->compare(UnitFactory::getDefaultPhysicalQuantity()) == 0;
}

// A name made later is that of a registered expression, neither empty nor
// "inherit": those texts are never parsed. Comparisons ask these two of every
// unit, and need not make its name.
bool Unit::isInherit() const {
    if (getTexts().formsMadeLater()) {
        return false;
    }
    if (getName() == UnitInheritUStr) {
        return true;
    }
    return getName().empty() && !hasDefaultPhysicalQuantity();
}

bool Unit::isPQOnly() const {
    if (getTexts().formsMadeLater() || (!getName().empty() && getName() != UnitInheritUStr)) {
        return false;
    }
    return !hasDefaultPhysicalQuantity();
}

namespace {

template <typename T> const T& none() {
    static const T empty;
    return empty;
}

} // namespace

boost::intrusive_ptr<UnitBase::Shared> Unit::detailsFor(const StoredConversionFactor& factor) {
    return isDefaultFactor(factor) ? nullptr : new Details(factor);
}

Unit::Details& Unit::ownDetails() {
    const Details* current = details();
    if (current == nullptr || current->use_count() > 1) {
        setShared(current != nullptr ? new Details(*current) : new Details(defaultFactor()));
    }
    return static_cast<Details&>(*shared());
}

const std::vector<std::shared_ptr<UnitSystem>>& Unit::getUnitSystems() const {
    return details() != nullptr ? details()->unitSystems
                                : none<std::vector<std::shared_ptr<UnitSystem>>>();
}

const Unit::PrefixSet& Unit::getUnitPrefixes() const {
    return details() != nullptr ? details()->availablePrefixes : none<PrefixSet>();
}

void Unit::addPrefix(std::reference_wrapper<const UnitPrefix> prefix) {
    Details& details = ownDetails();
    details.availablePrefixes.insert(prefix);
    const UnitPrefix* address = &prefix.get();
    auto& addresses = details.prefixAddresses;
    const auto place = std::lower_bound(addresses.begin(), addresses.end(), address, std::less<>());
    if (place == addresses.end() || *place != address) {
        addresses.insert(place, address);
    }
}

void Unit::addPrefixes(const PrefixSet& prefixes) {
    if (prefixes.empty()) {
        return;
    }
    Details& details = ownDetails();
    if (!details.availablePrefixes.empty()) {
        for (const auto& prefix : prefixes) {
            addPrefix(prefix);
        }
        return;
    }
    details.availablePrefixes = prefixes;
    auto& addresses = details.prefixAddresses;
    for (const auto& prefix : prefixes) {
        addresses.push_back(&prefix.get());
    }
    std::sort(addresses.begin(), addresses.end(), std::less<>());
}

void Unit::addAvailablePrefix(const ustring& prefixName) {
    const auto prefixes = UnitModelLookup::builtInPrefixes(prefixName);
    if (!prefixes.empty()) {
        addPrefix(*prefixes.begin());
    }
}

bool Unit::hasPrefix(std::reference_wrapper<const UnitPrefix> prefix) const {
    const Details* own = details();
    if (own == nullptr) {
        return false;
    }
    const auto& addresses = own->prefixAddresses;
    return std::binary_search(addresses.begin(), addresses.end(), &prefix.get(), std::less<>()) ||
           own->availablePrefixes.contains(prefix);
}

const ustring& Unit::getSubUnit() const {
    return details() != nullptr ? details()->subUnit : none<ustring>();
}

void Unit::setSubUnit(const ustring& subUnit) {
    if (details() != nullptr || !subUnit.empty()) {
        ownDetails().subUnit = subUnit;
    }
}

void Unit::setIsCommonSubUnit(bool flag) {
    if (details() != nullptr || flag) {
        ownDetails().isCommonSubUnit = flag;
    }
}

bool Unit::isCommonSubUnit() const {
    return details() != nullptr && details()->isCommonSubUnit;
}

void Unit::addOwnerUnitSystem(const ustring& systemName) {
    if (auto system = UnitModelLookup::managerUnitSystem(systemName)) {
        addOwnerUnitSystem(std::move(system));
    }
}

void Unit::addOwnerUnitSystem(std::shared_ptr<UnitSystem> system) {
    ownDetails().unitSystems.push_back(std::move(system));
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
