#pragma once

#include "units/platform/BaseMsgID.hpp"
#include "units/platform/Diagnostic.hpp"

#include <string>

namespace CvUnitSys {

// The English message catalogue: one text per identifier, arguments filled in.
// Output is UTF-8, ready for a terminal.
std::string formatMessage(const BaseMsgID& id);
// Every item of the diagnostic on its own line, causes indented below it.
std::string formatDiagnostic(const Diagnostic& d);

} // namespace CvUnitSys
