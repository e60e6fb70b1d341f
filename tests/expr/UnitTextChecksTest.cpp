#include "units/expr/UnitTextChecks.hpp"

#include "units/expr/CharacterClasses.hpp"

#include <gtest/gtest.h>

using namespace CvUnitSys;
using namespace std::string_literals;

namespace {

std::string label(const ustring& text) {
    std::string out;
    for (char16_t c : text.substr(0, 20)) {
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "<" + std::to_string(c) + ">";
    }
    return out;
}

TEST(UnitTextChecks, NameValidity) {
    struct Case {
        ustring text;
        bool valid;
    };
    const Case cases[] = {
        {u"", true},
        {u"m2", true},
        {u"degC", true},
        {u"\u00b0C", true}, // degree sign, a symbol
        {u"\u00b5m", true}, // micro sign, a letter
        {u"\u03a9", true},  // Greek capital omega
        {u"\u0394K", true}, // delta and K
        {u"thermodynamic_temperature", true},
        {u"%", true},
        {u"e\u0301", true},            // e followed by a combining acute accent
        {u"\u0301", true},             // a lone combining mark is still a mark
        {u"\u05de\u05d8\u05e8", true}, // Hebrew letters, right to left
        {u"\u0645\u062a\u0631", true}, // Arabic letters, right to left
        {u"\U0001d400", true},         // mathematical bold A, a surrogate pair
        {u"a-b", false},
        {u"a,b", false},
        {u"[m]", false},
        {u"m/s", false},
        {u"m@x", false},
        {u"m^2", false},
        {u"(m)", false},
        {u"a+b", false},
        {u"a*b", false},
        {u" ", false},
        {u"\t\n", false},
        {u"\u00a0", false}, // no-break space
        {u"\u3000", false}, // ideographic space
        {u"a b", false},
        {u"m\0"s, false},
        {u"\u0007", false},
        {u"\u0085", false},       // C1 control
        {u"\u202e\u05de", false}, // right-to-left override
        {u"\u200fm", false},      // right-to-left mark
        {u"a\u200db", false},     // zero-width joiner
        {u"\ufeffm", false},      // byte-order mark
        {u"\xd800", false},       // unpaired high surrogate
        {u"m\xdc00", false},      // unpaired low surrogate
        {u"\xdc00\xd800", false}, // surrogates in the wrong order
        {u"\ue000", false},       // private use
        {u"\u0378", false},       // unassigned
        {u"k\u00b5m", true},      // ASCII, then a letter beyond it
        {u"m\u00b5/s", false},    // an operator after the first non-ASCII letter
        {u"m\x7f", false},        // delete, a control
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidStringForUnitName(c.text), c.valid) << label(c.text);
    }
}

TEST(UnitTextChecks, LongTextsAreScannedToTheEnd) {
    const ustring longName(100000, u'a');
    EXPECT_TRUE(isValidStringForUnitName(longName));
    EXPECT_FALSE(isValidStringForUnitName(longName + u"/"));
    EXPECT_FALSE(isValidStringForUnitName(longName + u"\xd800"));
    EXPECT_TRUE(isValidAsciiString(longName));
    EXPECT_EQ(normalizeUnitExpression(longName), longName);
    EXPECT_FALSE(isValidStringForUnitName(ustring(100000, u' ')));
}

TEST(UnitTextChecks, AsciiValidity) {
    struct Case {
        ustring text;
        bool valid;
    };
    const Case cases[] = {
        {u"", true},         {u"um", true},    {u"\x7f", true},    {u"m/s^2", true},
        {u"\u00b5m", false}, {u"\x80", false}, {u"\xd800", false}, {u"\U0001d400", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidAsciiString(c.text), c.valid) << label(c.text);
    }
}

TEST(UnitTextChecks, NormalisationComposes) {
    EXPECT_EQ(normalizeUnitExpression(u"e\u0301"), u"\u00e9");
    EXPECT_EQ(normalizeUnitExpression(u"\u212b"), u"\u00c5"); // angstrom sign
    EXPECT_EQ(normalizeUnitExpression(u"kg*m"), u"kg*m");
    EXPECT_EQ(normalizeUnitExpression(u""), u"");
}

TEST(CharacterClasses, SystemNamesAlsoAdmitSpaces) {
    EXPECT_TRUE(scanWholeText(u"US customary", &isPrintableCharacter));
    EXPECT_FALSE(scanWholeText(u"US customary", &isUnitNameCharacter));
    EXPECT_FALSE(scanWholeText(u"a\tb", &isPrintableCharacter));
    EXPECT_FALSE(scanWholeText(u"\xd800", &isPrintableCharacter));
}

} // namespace
