#pragma once

#include "units/query/UnitTable.hpp"

#include <cstdint>

namespace CvUnitSys::UnitTableUtil {

// The special ids -2, -1 and 0.
bool IsBuiltInUnit(const UnitTable& table, std::int32_t id);
// Also true when the table has no such id.
bool isUnitCompatibleWithUnitSystems(UnitTable& table, std::int32_t id,
                                     const UnitDBSet::SystemList& systems);

} // namespace CvUnitSys::UnitTableUtil
