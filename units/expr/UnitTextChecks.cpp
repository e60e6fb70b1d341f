#include "units/expr/UnitTextChecks.hpp"

#include "units/expr/CharacterClasses.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <cstdint>
#include <string_view>
#include <unicode/utf16.h>

namespace CvUnitSys {

ustring normalizeUnitExpression(const ustring& text) {
    return TextServices::normalizeNFC(text);
}

namespace {

// Printable ASCII except blanks and the grammar's operators.
constexpr std::array<bool, 0x80> asciiNameCharacters = [] {
    std::array<bool, 0x80> table{};
    for (char16_t c = 0x21; c < 0x7F; ++c) {
        table[c] = std::u16string_view(u"@*/^()+-,[]").find(c) == std::u16string_view::npos;
    }
    return table;
}();

} // namespace

// Every unit text passes through here, and most are ASCII: one pass, with ICU
// consulted only past ASCII (none of the operators is).
bool isValidStringForUnitName(const ustring& text) {
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        if (text[i] < 0x80) {
            if (!asciiNameCharacters[text[i++]]) {
                return false;
            }
            continue;
        }
        UChar32 c = 0;
        U16_NEXT(text.data(), i, length, c);
        if (U_IS_SURROGATE(c) || !isUnitNameCharacter(static_cast<char32_t>(c))) {
            return false;
        }
    }
    return true;
}

bool isValidAsciiString(const ustring& text) {
    return TextServices::isAscii(text);
}

} // namespace CvUnitSys
