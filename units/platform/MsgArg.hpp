#pragma once

#include "units/foundation/UString.hpp"

#include <boost/variant.hpp>
#include <cstdint>

namespace CvUnitSys {

// An argument of a message: a position or unit id, or a piece of UTF-16 text.
using MsgArg = boost::variant<std::int64_t, ustring>;

} // namespace CvUnitSys
