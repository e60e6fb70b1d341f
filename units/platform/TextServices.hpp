#pragma once

#include "units/foundation/UString.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CvUnitSys {

// The host's text services: Unicode conversions, normalisation and case
// mapping (all through ICU), splitting, trimming and number parsing.
struct TextServices {
    // Unpaired surrogates become U+FFFD.
    static std::string toUtf8(std::u16string_view text);
    // Ill-formed UTF-8 becomes U+FFFD.
    static ustring fromUtf8(std::string_view text);
    // The same into `out`, whose room is kept: a reader of many rows allocates once.
    static void fromUtf8(std::string_view text, ustring& out);
    // Throws std::out_of_range on an unpaired surrogate, naming it and its place.
    static std::u32string toUtf32(std::u16string_view text);
    // The 0-based index of the first unpaired surrogate, if any.
    static std::optional<std::size_t> findUnpairedSurrogate(std::u16string_view text);
    // "unpaired UTF-16 surrogate 0xD800 at code unit 3" for `text[index]`.
    static std::string describeUnpairedSurrogate(std::u16string_view text, std::size_t index);
    static ustring fromUtf32(std::u32string_view text);
    // Widens 8-bit text (ASCII, Latin-1) code unit by code unit.
    static ustring fromLatin1(std::string_view text);
    // True when every code unit is below 0x80.
    static bool isAscii(std::u16string_view text);

    static ustring normalizeNFC(std::u16string_view text);
    static ustring toLower(std::u16string_view text);
    static ustring toUpper(std::u16string_view text);
    // Case-insensitive equality of the NFC forms (full case folding).
    static bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
    // The order that goes with equalsIgnoreCase: negative, zero or positive.
    static int compareIgnoreCase(std::u16string_view a, std::u16string_view b);

    // Removes Unicode White_Space from both ends.
    static ustring trim(std::u16string_view text);
    // Splits at every `delimiter`; empty fields are kept, so "a,,b" gives three.
    static std::vector<ustring> split(std::u16string_view text, char16_t delimiter);

    // Decimal or exponent notation of a finite number, surrounding blanks
    // allowed, nothing else; throws NumberConversionError.
    static double toDouble(std::u16string_view text);
    // Optional sign and decimal digits only; throws NumberConversionError when
    // the text is not such a number or does not fit.
    static std::int64_t toInt64(std::u16string_view text);
    static std::int32_t toInt32(std::u16string_view text);
};

} // namespace CvUnitSys
