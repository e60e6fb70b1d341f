#include "units/platform/TextServices.hpp"

#include <gtest/gtest.h>
#include <string_view>

using namespace CvUnitSys;

// ASCII widens byte for byte; anything else goes through the full decoder,
// which puts U+FFFD where a sequence does not read.
TEST(TextServices, FromUtf8DecodesSequencesAndReplacesBrokenOnes) {
    struct Case {
        std::string_view utf8;
        std::u16string_view utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"kg*m/s^2", u"kg*m/s^2"},
        {"\x7f", u"\x7f"},
        {"\xc2\xb5m", u"\u00b5m"},
        {"\xe2\x84\xab", u"\u212b"},
        {"\xf0\x9d\x90\x80", u"\U0001d400"},
        {"m\x80", u"m\ufffd"},
        {"\xe2\x84", u"\ufffd"},
        {"\xff!", u"\ufffd!"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextServices::fromUtf8(c.utf8), c.utf16) << testing::PrintToString(c.utf8);
    }
}

// Below U+0080 only TAB to CR and SPACE are white space (U+001C to U+001F are
// separators, not space); the same characters convert to UTF-8 as themselves.
TEST(TextServices, TrimsAsciiWhiteSpaceOnlyAndConvertsAsciiAsItIs) {
    for (char16_t c = 0; c < 0x80; ++c) {
        const ustring text = ustring(1, c) + u"x" + ustring(1, c);
        const bool white = c == u' ' || (c >= u'\t' && c <= u'\r');
        EXPECT_EQ(TextServices::trim(text), white ? u"x" : text) << static_cast<int>(c);
        EXPECT_EQ(TextServices::toUtf8(text), std::string(1, static_cast<char>(c)) + "x" +
                                                  std::string(1, static_cast<char>(c)));
    }
    EXPECT_EQ(TextServices::trim(u"\u00a0\u3000x\u2028"), u"x");
    EXPECT_EQ(TextServices::toUtf8(u"\u00b5m"), "\xc2\xb5m");
}
