#include "units/host/RhodexUnitsObserver.hpp"

#include "db/UserDbFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

using namespace CvUnitSys;
using Match = RhodexUnitsObserver::Match;

class Observer : public ::testing::Test {
protected:
    void SetUp() override {
        UnitDatabase::getUnitDatabase();
        observer.clearAll();
        observer.setUnitDatabaseInitialized(true);
    }
    void TearDown() override { observer.clearAll(); }

    RhodexUnitsObserver& observer = getRhodexUnitsObserver();
};

TEST_F(Observer, MatchesScaleOffsetAndDimension) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        ustring unit;
        ustring expression;
        double scale;
        double offset;
        Match expected;
    };
    const Case cases[] = {
        {u"km", u"m", 1000 * (1 + 1e-6), 0, Match::Compatible},
        {u"km", u"m", 1000 * (1 + 1e-4), 0, Match::Incompatible},
        {u"km", u"m", 0, 0, Match::Incompatible},
        {u"km", u"s", 1000, 0, Match::Incompatible},
        {u"deltadegC", u"K", 1, 0, Match::Compatible},
        {u"degC", u"K", 1, 273.15, Match::Compatible},
        {u"degC", u"K", 1, 0, Match::Incompatible},
        // An offset unit reported without its offset against an affine expression.
        {u"degC", u"degC", 1, 0, Match::Incompatible},
        {u"no_such_unit", u"m", 1, 0, Match::Unknown},
        {u"", u"m", 1, 0, Match::Unknown},
        {u"km", u"", 1000, 0, Match::Incompatible},
        {u"km", u"m/(", 1000, 0, Match::Incompatible},
        {u"km", u"no_such_unit", 1000, 0, Match::Incompatible},
        {u"km", u"m", nan, 0, Match::Incompatible},
        {u"km", u"m", inf, 0, Match::Incompatible},
        {u"degC", u"K", 1, nan, Match::Incompatible},
        {u"degC", u"K", 1, -inf, Match::Incompatible},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(observer.matchCorvaneUnits(c.unit, c.expression, c.scale, c.offset), c.expected)
            << TextServices::toUtf8(c.unit) << " as " << TextServices::toUtf8(c.expression)
            << " scale " << c.scale << " offset " << c.offset;
    }
}

TEST_F(Observer, RecordsClassifiesOnceAndForgetsWhileTheDatabasesChange) {
    RhodexUnitsObserverInterface{}("km", "m", 1000, 0);
    observer.notify(u"ft", u"m", 1, 0);
    observer.notify(u"shop_thing", u"m", 1, 0);
    // A second report with another definition changes nothing.
    observer.notify(u"km", u"s", 1, 0);
    EXPECT_EQ(observer.getNotifiedUnits().at(u"km").expression, u"m");
    EXPECT_TRUE(observer.getCompatibleUnits().contains(u"km"));
    EXPECT_TRUE(observer.getIncompatibleUnits().contains(u"ft"));
    EXPECT_TRUE(observer.getUnknownUnits().contains(u"shop_thing"));
    EXPECT_TRUE(observer.isRhodexUnitCompatible(u"shop_thing"));
    EXPECT_FALSE(observer.isRhodexUnitCompatible(u"ft"));

    EXPECT_TRUE(CheckTessanUnitCompatibleWithCorvane(u"km/s"));
    EXPECT_FALSE(CheckTessanUnitCompatibleWithCorvane(u"km*ft^2"));
    EXPECT_FALSE(CheckTessanUnitCompatibleWithCorvane(u"km*("));

    observer.setUnitDatabaseInitialized(false);
    observer.notify(u"mi", u"m", 1, 0);
    EXPECT_TRUE(observer.isRhodexUnitCompatible(u"ft"));
    EXPECT_TRUE(CheckTessanUnitCompatibleWithCorvane(u"km*ft^2"));
    EXPECT_FALSE(observer.getIncompatibleUnits().contains(u"mi"));

    observer.setUnitDatabaseInitialized(true);
    EXPECT_FALSE(observer.isRhodexUnitCompatible(u"ft"));
    EXPECT_FALSE(observer.isRhodexUnitCompatible(u"mi"));
    EXPECT_EQ(observer.getNotifiedUnits().size(), 5U);

    observer.clearAll();
    EXPECT_EQ(observer.getNotifiedUnits().size(), 1U);
    EXPECT_TRUE(observer.getIncompatibleUnits().empty());
}

// A change of the user databases is answered from the new databases.
TEST_F(Observer, AnswersFromTheDatabasesAfterTheyChange) {
    observer.notify(u"shop_pace", u"m", 2, 0);
    EXPECT_TRUE(observer.getUnknownUnits().contains(u"shop_pace"));

    const userdb_test::DatabaseFile file(
        R"(<unitDatabase name="shop"><unit name="shop_pace" symbol="shop_pace" definition="m"
                                            factor="2"/></unitDatabase>)");
    registerInternalUnitDatabase(file.name(), UnitRepositoryReader::makeFileLoader(file.path()));
    EXPECT_TRUE(observer.getCompatibleUnits().contains(u"shop_pace"));

    removeInternalUnitDatabase(file.name());
    EXPECT_TRUE(observer.getUnknownUnits().contains(u"shop_pace"));
}

// Whatever the tool reports is recorded and classified into exactly one set.
TEST_F(Observer, TenThousandReportsOfAnyKindAreEachClassifiedOnce) {
    const std::string expressions[] = {"m", "", "m/(", "km^", "no_such_unit", "K"};
    const double numbers[] = {1, 0, std::nan(""), std::numeric_limits<double>::infinity()};
    constexpr int count = 10000;
    for (int i = 0; i < count; ++i) {
        const std::string unit = i % 3 == 0 ? "unit_" + std::to_string(i) : std::to_string(i);
        observer.notify(unit, expressions[i % 6], numbers[i % 4], numbers[(i / 4) % 4]);
    }
    observer.notify(std::string(), "m", 1, 0);
    const std::size_t recorded = observer.getNotifiedUnits().size();
    // "1" was there from the start; the empty name is one more.
    EXPECT_EQ(recorded, static_cast<std::size_t>(count) + 1);
    EXPECT_EQ(observer.getCompatibleUnits().size() + observer.getIncompatibleUnits().size() +
                  observer.getUnknownUnits().size(),
              recorded);
}

} // namespace
