#include "units/query/UnitQueryClient.hpp"

#include "db/DbSetFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTableClient.hpp"

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

TEST(UnitQueryClient, ConversionsAndTheirErrors) {
    UnitQueryClient client;
    EXPECT_DOUBLE_EQ(client.getConversionInfo(u"ft", u"m").getScalingFactor(), 0.3048);
    EXPECT_TRUE(client.getConversionInfo(u"Hz", u"s").isInverted());
    EXPECT_DOUBLE_EQ(client.getConversionInfo(u"degC", u"K").getOffset(), 273.15);
    EXPECT_EQ(thrownKey([&] { client.getConversionInfo(u"", u"m"); }), "CannotConvertUnspecified");
    EXPECT_EQ(thrownKey([&] { client.getConversionInfo(u"m", u"s"); }), "UnitsNotConvertible");
    EXPECT_EQ(thrownKey([&] { client.getConversionInfo(u"wibble", u"m"); }),
              "UnresolvedUnitsNotConvertible");
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

TEST(UnitQueryClient, NameListIsSortedWithoutRepeats) {
    UnitTable table;
    const std::vector<ustring> builtin =
        UnitTableClient::getAllUnitsFromUnitAndPhysicalQuantityMap(table);
    EXPECT_TRUE(std::is_sorted(builtin.begin(), builtin.end()));
    EXPECT_EQ(std::adjacent_find(builtin.begin(), builtin.end()), builtin.end());
    EXPECT_NE(std::find(builtin.begin(), builtin.end(), u"m/s"), builtin.end());
}

} // namespace
