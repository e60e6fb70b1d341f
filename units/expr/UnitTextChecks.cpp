#include "units/expr/UnitTextChecks.hpp"

#include "units/expr/CharacterClasses.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <string_view>

namespace CvUnitSys {

ustring normalizeUnitExpression(const ustring& text) {
    return TextServices::normalizeNFC(text);
}

bool isValidStringForUnitName(std::u16string_view text) {
    static constexpr std::u16string_view operators = u"@*/^()+-,[]";
    // Names are nearly always ASCII: one pass with a table until the first
    // other code unit, from which the full scan takes over.
    static constexpr auto asciiNameCharacter = [] {
        std::array<bool, 0x80> table{};
        for (char16_t c = 0x21; c < 0x7F; ++c) {
            table[c] = operators.find(c) == std::u16string_view::npos;
        }
        return table;
    }();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x80) {
            const std::u16string_view rest = std::u16string_view(text).substr(i);
            return scanWholeText(rest, &isUnitNameCharacter) &&
                   rest.find_first_of(operators) == std::u16string_view::npos;
        }
        if (!asciiNameCharacter[text[i]]) {
            return false;
        }
    }
    return true;
}

bool isValidAsciiString(const ustring& text) {
    return TextServices::isAscii(text);
}

} // namespace CvUnitSys
