#include "units/expr/UnitParseError.hpp"

namespace CvUnitSys {

std::uint64_t unitParseColumn(std::u32string_view text, std::size_t position) {
    const std::size_t lineBreak = text.substr(0, position).find_last_of(U"\r\n");
    const std::size_t lineStart = lineBreak == std::u32string_view::npos ? 0 : lineBreak + 1;
    constexpr std::uint64_t tabWidth = 4;
    std::uint64_t column = 1;
    for (std::size_t i = lineStart; i < position && i < text.size(); ++i) {
        column = text[i] == U'\t' ? ((column - 1) / tabWidth + 1) * tabWidth + 1 : column + 1;
    }
    return column;
}

} // namespace CvUnitSys
