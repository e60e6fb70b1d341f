#pragma once

#include <cstdint>

namespace CvUnitSys {

// Who registered a user database: the host one at a time (internal), or as
// part of the list it replaces wholesale (external).
enum class UnitDBSource : std::int32_t { Internal = 0, External = 1 };

} // namespace CvUnitSys
