#pragma once

namespace CvUnitSys {

// Where a unit database comes from.
enum class DatabaseSource { UserFile = 0, Builtin = 2 };

} // namespace CvUnitSys
