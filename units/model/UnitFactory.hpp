#pragma once

#include "units/model/PhysicalQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitAlias.hpp"
#include "units/model/UnitPrefix.hpp"
#include "units/model/UnitPrefixAlias.hpp"

#include <memory>
#include <vector>

namespace CvUnitSys {

// Creates entities, and owns the process-wide default and dummy entities
// (each created once, on first use, by whichever thread asks first).
class UnitFactory {
public:
    std::unique_ptr<Unit>
    createUnit(std::int32_t id, ustring name, ustring expression, ustring symbol,
               ustring asciiSymbol, ustring display, const StoredConversionFactor& factor,
               const ustring& subUnit, const std::vector<ustring>& unitSystemNames,
               const Unit::PrefixSet& prefixes, bool isCommonSubUnit,
               const std::reference_wrapper<const UnitBase>& physicalQuantity) const;
    std::unique_ptr<UnitAlias> createUnitAlias(const ustring& name, const ustring& symbol,
                                               const ustring& asciiSymbol, const ustring& display,
                                               const std::reference_wrapper<const Unit>& ref,
                                               const std::vector<ustring>& unitSystemNames) const;
    std::unique_ptr<UnitPrefix> createUnitPrefix(const ustring& name, const ustring& symbol,
                                                 const ustring& asciiSymbol, const ustring& display,
                                                 const StoredConversionFactor& factor,
                                                 const std::vector<ustring>& unitSystemNames) const;
    std::unique_ptr<UnitPrefixAlias>
    createUnitPrefixAlias(const ustring& name, const ustring& symbol, const ustring& asciiSymbol,
                          const ustring& display,
                          const std::reference_wrapper<const UnitPrefix>& ref,
                          const std::vector<ustring>& unitSystemNames) const;
    std::unique_ptr<PhysicalQuantity> createPhysicalQuantity(std::int32_t id, const ustring& name,
                                                             const ustring& expression,
                                                             const ustring& display,
                                                             const ustring& symbol,
                                                             const ustring& asciiSymbol) const;
    std::unique_ptr<PhysicalQuantity> createPhysicalQuantity(const ustring& expression) const;

    // Id -10, every text empty.
    static const PhysicalQuantity& getDefaultPhysicalQuantity();
    // Id -10, named "prefix"; the quantity of prefixes standing alone.
    static const PhysicalQuantity& getDummyPhysicalQuantity();
    // Id -10, every text empty, the default quantity.
    static const Unit& getDefaultUnit();
    // Equal in content to the default unit, but a separate object: composites
    // built on it are prefix-only.
    static const Unit& getDummyUnit();
    // Every text empty, the default factor.
    static const UnitPrefix& getDefaultUnitPrefix();
};

} // namespace CvUnitSys
