#include "units/db/UnitDatabase.hpp"

namespace CvUnitSys {

const FundamentalUnits::DefinitionMap& UnitDatabase::getFundamentalUnitsDefinitions() {
    return FundamentalUnits::get().getUnitDefinitions();
}

const FundamentalUnits::DefinitionMap& UnitDatabase::getFundamentalPhysicalQuantitiesDefinitions() {
    return FundamentalUnits::get().getPhysicalQuantityDefinitions();
}

bool UnitDatabase::isFundamentalUnit(const ustring& text) {
    return getFundamentalUnit(text) != nullptr;
}

const UnitBase* UnitDatabase::getFundamentalUnit(const ustring& text) {
    return FundamentalUnits::get().findUnit(text);
}

bool UnitDatabase::isFundamentalPhysicalQuantity(const ustring& text) {
    return getFundamentalPhysicalQuantity(text) != nullptr;
}

const UnitBase* UnitDatabase::getFundamentalPhysicalQuantity(const ustring& text) {
    return FundamentalUnits::get().findPhysicalQuantity(text);
}

void UnitDatabase::addMatchingFundamentalUnitToList(const UnitBase& entity, UnitSet& out) {
    const FundamentalUnits& fundamentals = FundamentalUnits::get();
    const bool unit = entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT;
    const std::u16string_view symbol = entity.getSymbol();
    // The definitions are keyed by every symbol, ASCII symbol and name of the
    // fundamentals: one hash look-up turns away the many entities that match none.
    const auto& keys =
        unit ? fundamentals.getUnitDefinitions() : fundamentals.getPhysicalQuantityDefinitions();
    if (!fundamentals.mayBeKey(symbol, unit) || !keys.contains(ustring(symbol))) {
        return;
    }
    const auto& candidates =
        unit ? fundamentals.getUnitSet() : fundamentals.getPhysicalQuantitySet();
    for (const UnitBase& candidate : candidates) {
        if (candidate.getSymbol() == symbol || candidate.getAsciiSymbol() == symbol ||
            candidate.getName() == symbol) {
            out.insert(candidate);
        }
    }
}

} // namespace CvUnitSys
