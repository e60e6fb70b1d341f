#pragma once

#include "units/foundation/UString.hpp"

#include <cstdint>
#include <string_view>

namespace CvUnitSys {

// What the grammar records when a parse fails: the text and the 1-based
// column of the failure.
struct UnitParseError {
    ustring input;
    std::uint64_t column = 1;
};

// The column of `position` in `text` (code points): counted from the last line
// break before it, starting at 1, with tab stops every four columns.
std::uint64_t unitParseColumn(std::u32string_view text, std::size_t position);

} // namespace CvUnitSys
