#include "units/platform/TextServices.hpp"

#include "units/platform/NumberConversionError.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace CvUnitSys {

namespace {

icu::UnicodeString asUnicode(std::u16string_view text) {
    return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()));
}

ustring fromUnicode(const icu::UnicodeString& s) {
    return ustring(s.getBuffer(), static_cast<std::size_t>(s.length()));
}

template <typename Int> Int parseInteger(std::u16string_view text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t c : text) {
        if (c >= 0x80) {
            throw NumberConversionError(TextServices::toUtf8(text));
        }
        ascii.push_back(static_cast<char>(c));
    }
    std::string_view digits = ascii;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            throw NumberConversionError(ascii);
        }
    }
    Int value{};
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        throw NumberConversionError(ascii);
    }
    return value;
}

} // namespace

std::string TextServices::toUtf8(std::u16string_view text) {
    if (isAscii(text)) {
        return std::string(text.begin(), text.end());
    }
    std::string out;
    asUnicode(text).toUTF8String(out);
    return out;
}

ustring TextServices::fromUtf8(std::string_view text) {
    ustring out;
    fromUtf8(text, out);
    return out;
}

void TextServices::fromUtf8(std::string_view text, ustring& out) {
    // Most texts (every row of the built-in database) are ASCII, whose bytes
    // are their code units: widened in one pass that notes any high bit, and
    // read again only when one was set.
    out.resize(text.size());
    unsigned char high = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        high |= c;
        out[i] = c;
    }
    if (high < 0x80) {
        return;
    }
    // Else straight into the result: no UTF-8 sequence gives more UTF-16 units than it has bytes.
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("cannot convert text from UTF-8");
    }
    out.resize(static_cast<std::size_t>(length));
}

namespace {

// Hands each code point to `take` and stops at the first unpaired surrogate,
// giving its index.
template <typename Take>
std::optional<std::size_t> walkCodePoints(std::u16string_view text, Take take) {
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        if (U_IS_SURROGATE(c)) {
            return static_cast<std::size_t>(start);
        }
        take(c);
    }
    return std::nullopt;
}

} // namespace

std::u32string TextServices::toUtf32(std::u16string_view text) {
    // Without surrogates each code unit is its own code point: the common case.
    if (std::ranges::none_of(text, [](char16_t c) { return U16_IS_SURROGATE(c); })) {
        return std::u32string(text.begin(), text.end());
    }
    std::u32string out;
    out.reserve(text.size());
    if (const auto bad =
            walkCodePoints(text, [&](UChar32 c) { out.push_back(static_cast<char32_t>(c)); })) {
        throw std::out_of_range(describeUnpairedSurrogate(text, *bad));
    }
    return out;
}

std::optional<std::size_t> TextServices::findUnpairedSurrogate(std::u16string_view text) {
    return walkCodePoints(text, [](UChar32) {});
}

std::string TextServices::describeUnpairedSurrogate(std::u16string_view text, std::size_t index) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(text.at(index)));
    return "unpaired UTF-16 surrogate 0x" + std::string(hex) + " at code unit " +
           std::to_string(index + 1);
}

ustring TextServices::fromUtf32(std::u32string_view text) {
    if (std::ranges::all_of(text, [](char32_t c) { return c < 0xD800; })) {
        return ustring(text.begin(), text.end());
    }
    ustring out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || U_IS_SURROGATE(c)) {
            out.push_back(u'\uFFFD');
        } else if (c > 0xFFFF) {
            out.push_back(static_cast<char16_t>(U16_LEAD(c)));
            out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

ustring TextServices::fromLatin1(std::string_view text) {
    ustring out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return out;
}

bool TextServices::isAscii(std::u16string_view text) {
    for (char16_t c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

namespace {

// Fetched once, under the language's thread-safe initialisation: ICU's own
// once-only set-up is invisible to ThreadSanitizer, which then took every
// other thread's use of the normaliser for a race.
const icu::Normalizer2& nfcNormalizer() {
    static const icu::Normalizer2* const nfc = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* instance = icu::Normalizer2::getNFCInstance(status);
        if (U_FAILURE(status)) {
            throw std::runtime_error("ICU NFC normaliser unavailable");
        }
        return instance;
    }();
    return *nfc;
}

} // namespace

ustring TextServices::normalizeNFC(std::u16string_view text) {
    // Nothing below U+0300 decomposes or combines, and almost every unit text
    // is made of such characters: they are their own normal form.
    if (std::ranges::all_of(text, [](char16_t c) { return c < 0x300; })) {
        return ustring(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString result = nfcNormalizer().normalize(asUnicode(text), status);
    if (U_FAILURE(status)) {
        return ustring(text);
    }
    return fromUnicode(result);
}

ustring TextServices::toLower(std::u16string_view text) {
    icu::UnicodeString s = asUnicode(text);
    s.toLower(icu::Locale::getRoot());
    return fromUnicode(s);
}

ustring TextServices::toUpper(std::u16string_view text) {
    icu::UnicodeString s = asUnicode(text);
    s.toUpper(icu::Locale::getRoot());
    return fromUnicode(s);
}

bool TextServices::equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    return compareIgnoreCase(a, b) == 0;
}

int TextServices::compareIgnoreCase(std::u16string_view a, std::u16string_view b) {
    icu::UnicodeString na = asUnicode(normalizeNFC(a));
    icu::UnicodeString nb = asUnicode(normalizeNFC(b));
    return na.caseCompare(nb, U_FOLD_CASE_DEFAULT);
}

namespace {

// White_Space below U+0080 is TAB to CR and SPACE: ICU's property data is
// looked at only beyond.
bool isWhiteSpace(UChar32 c) {
    return c < 0x80 ? c == u' ' || (c >= u'\t' && c <= u'\r') : u_isUWhiteSpace(c);
}

} // namespace

// Steps over code points in place, so that an unpaired surrogate, which is
// not white space, is kept as it is rather than refused: judging the text is
// the caller's business.
ustring TextServices::trim(std::u16string_view text) {
    const auto length = static_cast<int32_t>(text.size());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 c;
        U16_NEXT(text.data(), next, length, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 c;
        U16_PREV(text.data(), begin, previous, c);
        if (!isWhiteSpace(c)) {
            break;
        }
        end = previous;
    }
    return ustring(
        text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

std::vector<ustring> TextServices::split(std::u16string_view text, char16_t delimiter) {
    std::vector<ustring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(delimiter, start);
        if (pos == std::u16string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

double TextServices::toDouble(std::u16string_view text) {
    const std::string utf8 = toUtf8(trim(text));
    std::string_view s = utf8;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') {
            throw NumberConversionError(utf8);
        }
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    // from_chars also reads "nan" and "inf", which are not decimal notation:
    // a factor or value written so is as unreadable as any other word.
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
        throw NumberConversionError(utf8);
    }
    return value;
}

std::int64_t TextServices::toInt64(std::u16string_view text) {
    return parseInteger<std::int64_t>(text);
}

std::int32_t TextServices::toInt32(std::u16string_view text) {
    return parseInteger<std::int32_t>(text);
}

} // namespace CvUnitSys
