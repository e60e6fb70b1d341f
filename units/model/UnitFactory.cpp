#include "units/model/UnitFactory.hpp"

#include <utility>

namespace CvUnitSys {

namespace {

Unit makeEmptyUnit() {
    return Unit(-10, u"", u"", u"", u"", u"", defaultStoredConversionFactor(),
                UnitFactory::getDefaultPhysicalQuantity());
}

} // namespace

std::unique_ptr<Unit>
UnitFactory::createUnit(std::int32_t id, ustring name, ustring expression, ustring symbol,
                        ustring asciiSymbol, ustring display, const StoredConversionFactor& factor,
                        const ustring& subUnit, const std::vector<ustring>& unitSystemNames,
                        const Unit::PrefixSet& prefixes, bool isCommonSubUnit,
                        const std::reference_wrapper<const UnitBase>& physicalQuantity) const {
    auto unit = std::make_unique<Unit>(id, std::move(name), std::move(expression),
                                       std::move(symbol), std::move(asciiSymbol),
                                       std::move(display), factor, physicalQuantity);
    for (const auto& systemName : unitSystemNames) {
        unit->addOwnerUnitSystem(systemName);
    }
    unit->addPrefixes(prefixes);
    unit->setSubUnit(subUnit);
    unit->setIsCommonSubUnit(isCommonSubUnit);
    return unit;
}

std::unique_ptr<UnitAlias>
UnitFactory::createUnitAlias(const ustring& name, const ustring& symbol, const ustring& asciiSymbol,
                             const ustring& display, const std::reference_wrapper<const Unit>& ref,
                             const std::vector<ustring>& unitSystemNames) const {
    return std::make_unique<UnitAlias>(name, symbol, asciiSymbol, display, ref, unitSystemNames);
}

std::unique_ptr<UnitPrefix> UnitFactory::createUnitPrefix(
    const ustring& name, const ustring& symbol, const ustring& asciiSymbol, const ustring& display,
    const StoredConversionFactor& factor, const std::vector<ustring>& unitSystemNames) const {
    auto prefix = std::make_unique<UnitPrefix>(name, symbol, asciiSymbol, display, factor);
    for (const auto& systemName : unitSystemNames) {
        prefix->addOwnerUnitSystem(systemName);
    }
    return prefix;
}

std::unique_ptr<UnitPrefixAlias>
UnitFactory::createUnitPrefixAlias(const ustring& name, const ustring& symbol,
                                   const ustring& asciiSymbol, const ustring& display,
                                   const std::reference_wrapper<const UnitPrefix>& ref,
                                   const std::vector<ustring>& unitSystemNames) const {
    return std::make_unique<UnitPrefixAlias>(name, symbol, asciiSymbol, display, ref,
                                             unitSystemNames);
}

std::unique_ptr<PhysicalQuantity>
UnitFactory::createPhysicalQuantity(std::int32_t id, const ustring& name, const ustring& expression,
                                    const ustring& display, const ustring& symbol,
                                    const ustring& asciiSymbol) const {
    return std::make_unique<PhysicalQuantity>(id, name, expression, display, symbol, asciiSymbol);
}

std::unique_ptr<PhysicalQuantity>
UnitFactory::createPhysicalQuantity(const ustring& expression) const {
    return std::make_unique<PhysicalQuantity>(expression);
}

// Function-local statics: the language guarantees one initialisation even when
// several threads ask at once, and destruction at exit.
const PhysicalQuantity& UnitFactory::getDefaultPhysicalQuantity() {
    static const PhysicalQuantity instance(-10, u"", u"", u"", u"", u"");
    return instance;
}

const PhysicalQuantity& UnitFactory::getDummyPhysicalQuantity() {
    static const PhysicalQuantity instance(-10, u"prefix", u"", u"prefix", u"prefix", u"prefix");
    return instance;
}

const Unit& UnitFactory::getDefaultUnit() {
    static const Unit instance = makeEmptyUnit();
    return instance;
}

const Unit& UnitFactory::getDummyUnit() {
    static const Unit instance = makeEmptyUnit();
    return instance;
}

const UnitPrefix& UnitFactory::getDefaultUnitPrefix() {
    static const UnitPrefix instance(u"", u"", u"", u"", defaultStoredConversionFactor());
    return instance;
}

} // namespace CvUnitSys
