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
