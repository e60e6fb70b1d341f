#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace CvUnitSys {

// Parentheses nest at most this deep; deeper input is reported as a parsing
// error at the first parenthesis beyond the limit rather than risking the stack.
inline constexpr std::size_t maxUnitExprNesting = 200;

// Index of the first '(' that opens a level beyond the nesting limit.
inline std::optional<std::size_t> tooDeepParenthesis(std::u32string_view text) {
    std::size_t depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'(') {
            if (++depth > maxUnitExprNesting) {
                return i;
            }
        } else if (text[i] == U')' && depth > 0) {
            --depth;
        }
    }
    return std::nullopt;
}

} // namespace CvUnitSys
