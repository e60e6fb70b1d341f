#include "ModelFixtures.hpp"
#include "units/model/EntityHashes.hpp"
#include "units/model/HashCombine.hpp"
#include "units/model/UnitPrefixAlias.hpp"
#include "units/model/UnitPrefixDealiasing.hpp"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace model_test;

namespace {

// Reference values computed independently of this library from the combine step
// seed = mix(seed + 0x9e3779b9 + h) with the 64-bit mixer of current Boost.
TEST(EntityHash, FixedValuesOfTheCombineStep) {
    EXPECT_EQ(hashText(u""), 0u);
    EXPECT_EQ(hashText(u"m"), 0xc9fb8c065a74b56bULL);
    EXPECT_EQ(hashText(u"\u00b5m"), 0x57b7f7822aa68680ULL);

    const PhysicalQuantity length(4, u"length", u"Length", u"length", u"L", u"L");
    EXPECT_EQ(PhysicalQuantityHash{}(length), 0x6ea45946fa86e49aULL);
    EXPECT_EQ(UnitHash{}(*makeUnit({u"m", u"Metre", u"m"})), 0xc424ff22d6b10021ULL);
    EXPECT_EQ(UnitHash{}(*makeUnit({u"ft", u"foot", u"ft", doubleFactor(u"0.3048"), u"m", u"in"})),
              0x1ca10c05a340c421ULL);
}

TEST(EntityHash, CoversExactlyTheListedFields) {
    const auto base = makeUnit({u"m", u"Metre", u"m", doubleFactor(u"1"), u"m", u"", u"d", 1});
    const auto otherIgnored =
        makeUnit({u"m", u"Metre", u"m", doubleFactor(u"2"), u"x", u"", u"other", 9});
    EXPECT_EQ(UnitHash{}(*base), UnitHash{}(*otherIgnored));

    const UnitSpec changed[] = {
        {u"M", u"Metre", u"m"},
        {u"m", u"metre", u"m"},
        {u"m", u"Metre", u"M"},
        {u"m", u"Metre", u"m", doubleFactor(u"1"), u"m", u"cm"},
        // Field boundaries matter: the texts are hashed one by one.
        {u"mM", u"etre", u"m"},
    };
    for (const auto& variant : changed) {
        EXPECT_NE(UnitHash{}(*makeUnit(variant)), UnitHash{}(*base))
            << std::string(variant.name.begin(), variant.name.end());
    }
}

TEST(UnitPrefixDealiasing, AliasesStandForTheirPrefix) {
    const auto kilo = makePrefix(u"kilo", u"k");
    const auto mega = makePrefix(u"mega", u"M", u"1e6");
    const UnitPrefixAlias kiloAlias(u"Kilo", u"K", u"K", u"", *kilo, {});

    EXPECT_EQ(&dealiasedPrefix(kiloAlias), kilo.get());
    EXPECT_EQ(&dealiasedPrefix(*kilo), kilo.get());
    EXPECT_TRUE(UnitPrefixDealiasedEqualTo{}(kiloAlias, *kilo));
    EXPECT_FALSE(UnitPrefixDealiasedEqualTo{}(kiloAlias, *mega));
    EXPECT_EQ(UnitPrefixDealiasedHash{}(kiloAlias), std::hash<ustring>{}(u"kilo"));
    EXPECT_FALSE(ConstRefUnitPrefixDealiasedComparator{}(kiloAlias, *kilo));
    EXPECT_FALSE(ConstRefUnitPrefixDealiasedComparator{}(*kilo, kiloAlias));
    EXPECT_TRUE(ConstRefUnitPrefixDealiasedComparator{}(kiloAlias, *mega));

    std::unordered_set<std::reference_wrapper<const UnitPrefix>, UnitPrefixDealiasedHash,
                       UnitPrefixDealiasedEqualTo>
        distinct{*kilo, kiloAlias, *mega};
    EXPECT_EQ(distinct.size(), 2u);
}

TEST(UnitPrefixDealiasing, AUnitAcceptsAPrefixOnceWhicheverNameIsUsed) {
    const auto kilo = makePrefix(u"kilo", u"k");
    const UnitPrefixAlias kiloAlias(u"Kilo", u"K", u"K", u"", *kilo, {});
    auto metre = makeUnit({u"m", u"Metre", u"m"});
    metre->addPrefix(kiloAlias);
    metre->addPrefix(*kilo);
    EXPECT_EQ(metre->getUnitPrefixes().size(), 1u);
    EXPECT_TRUE(metre->hasPrefix(*kilo));
    // An equal prefix held elsewhere is the same prefix.
    EXPECT_TRUE(metre->hasPrefix(*makePrefix(u"kilo", u"k")));
    EXPECT_FALSE(metre->hasPrefix(*makePrefix(u"mega", u"M")));
}

} // namespace
