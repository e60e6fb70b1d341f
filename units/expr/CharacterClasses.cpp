#include "units/expr/CharacterClasses.hpp"

#include <cstdint>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace CvUnitSys {

namespace {

constexpr std::uint32_t nameCategories =
    U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK | U_GC_P_MASK | U_GC_S_MASK;

std::uint32_t categoryMask(char32_t c) {
    return static_cast<std::uint32_t>(U_GET_GC_MASK(static_cast<UChar32>(c)));
}

} // namespace

// In ASCII, U+0021 to U+007E are letters, digits, punctuation and symbols, and
// U+0020 is the only space separator: most texts need no look-up in ICU's tables.
bool isUnitNameCharacter(char32_t c) {
    if (c < 0x80) {
        return c > 0x20 && c < 0x7F;
    }
    return (categoryMask(c) & nameCategories) != 0;
}

bool isPrintableCharacter(char32_t c) {
    if (c < 0x80) {
        return c >= 0x20 && c < 0x7F;
    }
    return (categoryMask(c) & (nameCategories | U_GC_ZS_MASK)) != 0;
}

bool scanWholeText(std::u16string_view text, bool (*inClass)(char32_t)) {
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U16_NEXT(text.data(), i, length, c);
        if (U_IS_SURROGATE(c) || !inClass(static_cast<char32_t>(c))) {
            return false;
        }
    }
    return true;
}

} // namespace CvUnitSys
