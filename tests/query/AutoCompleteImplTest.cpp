#include "units/query/AutoCompleteImpl.hpp"

#include <gtest/gtest.h>

using CvUnitSys::AutoCompleteImpl;

namespace {

AutoCompleteImpl unitIndex() {
    AutoCompleteImpl index(false);
    for (const char16_t* name : {u"metre", u"meter", u"mile", u"minute", u"\u00e5ngstr\u00f6m"}) {
        index.addName(name);
    }
    for (const char16_t* symbol : {u"m", u"mi", u"min", u"mm", u"\u00c5", u"Pa", u""}) {
        index.addSymbol(symbol);
    }
    return index;
}

TEST(AutoCompleteImpl, CompletesNamesAndSymbolsByExactCase) {
    const AutoCompleteImpl index = unitIndex();
    struct Case {
        ustring text;
        std::set<ustring> expected;
    };
    const Case cases[] = {
        {u"mi", {u"mi", u"mile", u"min", u"minute"}},
        {u"met", {u"meter", u"metre"}},
        {u"M", {}},
        {u"pa", {}},
        {u"\u00c5", {u"\u00c5"}},
        {u"minutes", {}},
        {u"m", {u"m", u"meter", u"metre", u"mi", u"mile", u"min", u"minute", u"mm"}},
        {u"",
         {u"m", u"meter", u"metre", u"mi", u"mile", u"min", u"minute", u"mm", u"Pa", u"\u00c5",
          u"\u00e5ngstr\u00f6m"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index.getAutoCompleteList(c.text), c.expected)
            << std::string(c.text.begin(), c.text.end());
    }
    EXPECT_EQ(index.getAutoCompleteList(u"MI", true),
              (std::set<ustring>{u"mi", u"mile", u"min", u"minute"}));
    EXPECT_EQ(index.getAutoCompleteList(u"pA", true), (std::set<ustring>{u"Pa"}));
}

TEST(AutoCompleteImpl, PrefixModeAlsoFindsStoredPrefixesOfTheText) {
    AutoCompleteImpl prefixes(true);
    for (const char16_t* symbol : {u"k", u"m", u"da", u"d", u"Ki"}) {
        prefixes.addSymbol(symbol);
    }
    prefixes.addName(u"kilo");
    prefixes.addName(u"kibi");
    EXPECT_EQ(prefixes.getAutoCompleteList(u"km"), (std::set<ustring>{u"k"}));
    EXPECT_EQ(prefixes.getAutoCompleteList(u"dam"), (std::set<ustring>{u"d", u"da"}));
    EXPECT_EQ(prefixes.getAutoCompleteList(u"kilometre"), (std::set<ustring>{u"k", u"kilo"}));
    EXPECT_EQ(prefixes.getAutoCompleteList(u"ki"), (std::set<ustring>{u"k", u"kibi", u"kilo"}));
    EXPECT_EQ(prefixes.getAutoCompleteList(u"d"), (std::set<ustring>{u"d"}))
        << "a stored prefix word stands alone, without the longer ones (da)";
    EXPECT_EQ(prefixes.getAutoCompleteList(u"KI", true),
              (std::set<ustring>{u"k", u"Ki", u"kibi", u"kilo"}));
    AutoCompleteImpl units(false);
    units.addSymbol(u"k");
    EXPECT_TRUE(units.getAutoCompleteList(u"km").empty())
        << "only prefix mode matches shorter words";
}

TEST(AutoCompleteImpl, ApproximateSearchIgnoresCaseAndProtectsShortWords) {
    const AutoCompleteImpl index = unitIndex();
    std::map<ustring, std::int32_t> found;
    index.appendApproximateSuggestions(u"MEtr", found, 1);
    EXPECT_EQ(found, (std::map<ustring, std::int32_t>{{u"meter", 1}, {u"metre", 1}}));
    found.clear();
    index.appendApproximateSuggestions(u"mx", found, 1);
    EXPECT_EQ(found, (std::map<ustring, std::int32_t>{{u"mi", 1}, {u"mm", 1}}))
        << "words of at most maxDistance characters must match exactly";
    found.clear();
    index.appendApproximateSuggestions(u"meetr", found, 2);
    EXPECT_EQ(found, (std::map<ustring, std::int32_t>{{u"meter", 2}, {u"metre", 2}}));
    found.clear();
    index.appendApproximateSuggestions(u"mile", found, -1);
    EXPECT_TRUE(found.empty());
    index.appendApproximateSuggestions(u"\u00c5NGSTROM", found, 2);
    EXPECT_EQ(found, (std::map<ustring, std::int32_t>{{u"\u00e5ngstr\u00f6m", 1}}));
}

TEST(AutoCompleteImpl, PrefixModeComparesShortWordsWithTheStartOfTheText) {
    AutoCompleteImpl prefixes(true);
    prefixes.addName(u"kilo");
    prefixes.addName(u"mega");
    std::map<ustring, std::int32_t> found;
    prefixes.appendApproximateSuggestions(u"kilometre", found, 1);
    prefixes.appendApproximateSuggestions(u"mgameter", found, 1);
    EXPECT_EQ(found, (std::map<ustring, std::int32_t>{{u"kilo", 0}}));
}

TEST(AutoCompleteImpl, HostileWordsNeitherCrashNorOverflow) {
    AutoCompleteImpl index(false);
    const ustring longWord(100000, u'x');
    index.addName(longWord);
    index.addSymbol(ustring(1, u'\xD800') + u"m");
    EXPECT_EQ(index.getAutoCompleteList(u"xxx").size(), 1u);
    EXPECT_EQ(index.getAutoCompleteList(ustring(1, u'\xDFFF')).size(), 1u);
    std::map<ustring, std::int32_t> found;
    index.appendApproximateSuggestions(u"xxxx", found, 2);
    EXPECT_TRUE(found.empty());
}

} // namespace
