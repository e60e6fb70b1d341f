#include "units/query/UnitQueryClient.hpp"

#include "db/DbSetFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTableClient.hpp"

#include <algorithm>
#include <gtest/gtest.h>

using namespace CvUnitSys;
using dbset_test::thrownKey;

namespace {

TEST(UnitQueryClient, EquivalentAndConvertibleFollowTheComparison) {
    struct Row {
        std::u16string a;
        std::u16string b;
        bool equivalent;
        bool convertible;
    };
    const std::vector<Row> rows{
        {u"m", u"m", true, true},
        {u"N*m", u"J", true, true},
        {u"km/h", u"m/s", false, true},
        {u"degC", u"K", false, true},
        {u"s", u"Hz", false, true},
        {u"inherit", u"m", false, true},
        {u"", u"mixed", true, true},
        {u"m", u"s", false, false},
        {u"m@length", u"m@wavelength", false, false},
        {u"wibble", u"m", false, false},
        {u"wibble", u"wibble", true, true},
    };
    UnitQueryClient client;
    for (const Row& row : rows) {
        SCOPED_TRACE(TextServices::toUtf8(row.a + u" " + row.b));
        EXPECT_EQ(client.areEquivalent(row.a, row.b), row.equivalent);
        EXPECT_EQ(client.areConvertible(row.a, row.b), row.convertible);
    }
}

// The table's tests hold every refusal; here the texts reach it strictly.
TEST(UnitQueryClient, ConversionsAndTheirErrors) {
    UnitQueryClient client;
    EXPECT_DOUBLE_EQ(client.getConversionInfo(u"ft", u"m").getScalingFactor(), 0.3048);
    EXPECT_EQ(thrownKey([&] { client.getConversionInfo(u"", u"m"); }), "CannotConvertUnspecified");
    EXPECT_EQ(thrownKey([&] { client.checkUnit(u"m@"); }), "PhysicalQuantityParsingError");
}

TEST(UnitQueryClient, RegistersEachTextOnceUntilReset) {
    UnitQueryClient client;
    EXPECT_EQ(client.checkUnit(u"ft"), 1);
    EXPECT_TRUE(client.areConvertible(u"m", u"ft"));
    EXPECT_EQ(client.checkUnit(u"m"), 2);
    EXPECT_EQ(client.checkUnit(u"ft"), 1);
    client.resetQueryTableToBuiltin();
    EXPECT_EQ(client.checkUnit(u"m"), 1);
}

TEST(UnitQueryClient, AnswersFollowTheDatabasesAfterTheyChange) {
    dbset_test::Universe universe;
    UnitQueryClient client;
    EXPECT_FALSE(client.areConvertible(u"xsmoot", u"m"));
    const std::int32_t before = client.checkUnit(u"xsmoot");

    universe.add(u"/tmp/query_a.units",
                 {{}, {{u"xsmoot", u"m", u"", {u"1.7018", ConversionFactorType::Double}}}, u"a"});
    EXPECT_TRUE(client.areConvertible(u"xsmoot", u"m"));
    EXPECT_DOUBLE_EQ(client.getConversionInfo(u"xsmoot", u"m").getScalingFactor(), 1.7018);
    EXPECT_EQ(client.checkUnit(u"xsmoot"), before);

    universe.add(u"/tmp/query_a.units", {{}, {{u"xsmoot", u"s"}}, u"a"});
    EXPECT_FALSE(client.areConvertible(u"xsmoot", u"m"));
    EXPECT_TRUE(client.areEquivalent(u"xsmoot", u"s"));

    removeInternalUnitDatabase(u"/tmp/query_a.units");
    EXPECT_FALSE(client.areConvertible(u"xsmoot", u"s"));
    EXPECT_EQ(thrownKey([&] { client.getConversionInfo(u"xsmoot", u"s"); }),
              "UnresolvedUnitsNotConvertible");
}

TEST(UnitQueryClient, BestApproximationsCorrectUnknownSymbolsAndQuantities) {
    const std::vector<std::pair<std::u16string, std::u16string>> rows{
        {u"", u""},
        {u"m/(", u""},
        {u"@length", u""},
        {u"  m/s  ", u"m/s"},
        {u"metr/s", u"meter/s"},
        {u"kg*metr^2", u"kg*meter^2"},
        {u"m@lenth", u"m@length"},
        {u"metr@lenth", u"meter@length"},
        {u"qqqqqqqq", u"qqqqqqqq"},
    };
    UnitQueryClient client;
    for (const auto& [text, best] : rows) {
        SCOPED_TRACE(TextServices::toUtf8(text));
        EXPECT_EQ(client.getBestApproximation(text), best);
    }
    // The texts were only corrected, not registered.
    EXPECT_EQ(client.checkUnit(u"m"), 1);
}

TEST(UnitQueryClient, AmbiguousSymbolsAreQualifiedByEachDatabase) {
    dbset_test::Universe universe;
    const WarningCollector duplicateWarnings;
    universe.add(u"/tmp/query_a.units", {{}, {{u"xfurl", u"m"}}, u"a"});
    universe.add(u"/tmp/query_b.units", {{}, {{u"xfurl", u"km"}}, u"b"});
    UnitQueryClient client;
    EXPECT_EQ(client.getQualificationForAmbiguousUnit(u"xfurl/s@velocity"),
              u"a::xfurl/s@velocity, b::xfurl/s@velocity");
    EXPECT_EQ(client.getQualificationForAmbiguousUnit(u"m/s"), u"");
    EXPECT_EQ(client.getQualificationForAmbiguousUnit(u"xfurl/("), u"");
    EXPECT_TRUE(client.areConvertible(u"a::xfurl", u"b::xfurl"));
}

// Sorted as the similar-unit lists are, and holding `symbol`.
void expectSortedWith(const std::vector<ustring>& list, const ustring& symbol) {
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const ustring& a, const ustring& b) {
        return TextServices::compareIgnoreCase(a, b) < 0;
    }));
    EXPECT_NE(std::find(list.begin(), list.end(), symbol), list.end());
}

TEST(UnitQueryClient, SimilarUnitsHoldTheUnitItself) {
    UnitQueryClient client;
    const std::vector<ustring> metre = client.getSimilarUnits(u"m");
    expectSortedWith(metre, u"m");
    EXPECT_NE(std::find(metre.begin(), metre.end(), u"ft"), metre.end());
    // No database lists the expression, yet it is among its similar units.
    const std::vector<ustring> speed = client.getSimilarUnits(u"m/s");
    expectSortedWith(speed, u"m/s");
    EXPECT_NE(std::find(speed.begin(), speed.end(), u"kn"), speed.end());
    expectSortedWith(client.getSimilarUnits(u"m@length"), u"m");
    EXPECT_EQ(client.getSimilarUnits(u"wibble"), std::vector<ustring>{u"wibble"});
}

TEST(UnitQueryClient, SimilarUnitsOfAQuantityAloneEndWithIt) {
    UnitTable::quantityOnlyRegistration().setEnabled(true);
    UnitQueryClient client;
    const std::vector<ustring> similar = client.getSimilarUnits(u"@length");
    UnitTable::quantityOnlyRegistration().setEnabled(false);
    ASSERT_GT(similar.size(), 1u);
    EXPECT_EQ(similar.back(), u"@length");
    EXPECT_NE(std::find(similar.begin(), similar.end(), u"m"), similar.end());
}

TEST(UnitQueryClient, CompletionsOfTheWordBeingTyped) {
    UnitQueryClient client;
    const auto [text, symbols] = client.getAutoCompleteStrings(u"N*k");
    EXPECT_EQ(text, u"N*");
    EXPECT_NE(std::find(symbols.begin(), symbols.end(), u"kg"), symbols.end());
    for (const ustring& symbol : symbols) {
        EXPECT_FALSE(symbol.empty());
    }
}

TEST(UnitQueryClient, NameListIsSortedWithoutRepeats) {
    UnitTable table;
    const std::vector<ustring> builtin =
        UnitTableClient::getAllUnitsFromUnitAndPhysicalQuantityMap(table);
    EXPECT_TRUE(std::is_sorted(builtin.begin(), builtin.end()));
    EXPECT_EQ(std::adjacent_find(builtin.begin(), builtin.end()), builtin.end());
    EXPECT_NE(std::find(builtin.begin(), builtin.end(), u"m/s"), builtin.end());
}

} // namespace
