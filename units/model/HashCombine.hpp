#pragma once

#include "units/foundation/UString.hpp"

#include <cstddef>
#include <string_view>

namespace CvUnitSys {

// Entity hashes use the 64-bit combine step of current Boost releases:
// seed = mix(seed + 0x9e3779b9 + h). The Boost shipped with the build platform
// (1.74) combines with a different formula, so the step is written out here to
// keep hash values the same on every platform.
std::size_t hashCombine(std::size_t seed, std::size_t h);

// The combine folded over the UTF-16 code units of `text`, from seed 0.
std::size_t hashText(std::u16string_view text);

} // namespace CvUnitSys
