#include "units/db/UnitDatabase.hpp"

namespace CvUnitSys {

const FundamentalUnits::DefinitionMap& UnitDatabase::getFundamentalUnitsDefinitions() {
    return FundamentalUnits::get().getUnitDefinitions();
}

const FundamentalUnits::DefinitionMap& UnitDatabase::getFundamentalPhysicalQuantitiesDefinitions() {
    return FundamentalUnits::get().getPhysicalQuantityDefinitions();
}

void UnitDatabase::addMatchingFundamentalUnitToList(const UnitBase& entity, UnitSet& out) {
    const FundamentalUnits& fundamentals = FundamentalUnits::get();
    const auto& candidates = entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT
                                 ? fundamentals.getUnitSet()
                                 : fundamentals.getPhysicalQuantitySet();
    const ustring& symbol = entity.getSymbol();
    for (const UnitBase& candidate : candidates) {
        if (candidate.getSymbol() == symbol || candidate.getAsciiSymbol() == symbol ||
            candidate.getName() == symbol) {
            out.insert(candidate);
        }
    }
}

} // namespace CvUnitSys
