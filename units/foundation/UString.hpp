#pragma once

#include <string>

namespace CvUnitSys {

// Every name, symbol, expression and message argument is UTF-16 text.
using ustring = std::u16string;

} // namespace CvUnitSys

using CvUnitSys::ustring;
