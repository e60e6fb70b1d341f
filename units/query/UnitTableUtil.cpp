#include "units/query/UnitTableUtil.hpp"

namespace CvUnitSys::UnitTableUtil {

bool IsBuiltInUnit(const UnitTable&, std::int32_t id) {
    return id < UnitTable::getNumBaseUnits();
}

bool isUnitCompatibleWithUnitSystems(UnitTable& table, std::int32_t id,
                                     const UnitDBSet::SystemList& systems) {
    return !table.isUnitIdValid(id) || table.isUnitCompatibleWithUnitSystems(id, systems);
}

} // namespace CvUnitSys::UnitTableUtil
