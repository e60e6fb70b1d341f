#include "units/query/UnitTable.hpp"

#include "db/DbFixtures.hpp"
#include "db/DbSetFixtures.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/query/UnitTableUtil.hpp"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>

using namespace CvUnitSys;
using db_test::thrownId;

namespace {

// Turns the quantity-only switch on for one test.
class QuantityOnlyOn {
public:
    QuantityOnlyOn() { UnitTable::quantityOnlyRegistration().setEnabled(true); }
    ~QuantityOnlyOn() { UnitTable::quantityOnlyRegistration().setEnabled(false); }
};

TEST(UnitTable, StartsWithTheThreeSpecialUnits) {
    UnitTable table;
    EXPECT_EQ(table.getNumUnits(), 3u);
    EXPECT_TRUE(table.isOnlyBuiltIn());
    for (const std::int32_t id : {-2, -1, 0}) {
        EXPECT_TRUE(table.isUnitIdValid(id));
        EXPECT_TRUE(UnitTableUtil::IsBuiltInUnit(table, id));
    }
    EXPECT_FALSE(UnitTableUtil::IsBuiltInUnit(table, 1));
    EXPECT_EQ(UnitTable::getNumBaseUnits(), 1);
    EXPECT_EQ(table.getUserSpecifiedUnitExpr(-2), u"mixed");
    EXPECT_EQ(table.getUserSpecifiedUnitExpr(-1), u"inherit");
    EXPECT_EQ(table.getUnitId(u"inherit", true), -1);
    EXPECT_EQ(table.getUnitId(u"", true), 0);
    EXPECT_EQ(table.getUnitId(u"mixed", true), UnitTable::NoUnitId);
    EXPECT_EQ(table.getUnit(u"inherit"), nullptr);
    EXPECT_EQ(table.registerUnit(u"", true, false), 0);
    EXPECT_EQ(table.registerUnit(u"inherit", true, false), -1);
    EXPECT_EQ(table.getNumUnits(), 3u);
    EXPECT_FALSE(table.isUnitIdValid_NotInherit(-1));
    EXPECT_EQ(thrownId([&] { table.checkUnitId(7); }), "CorvaneTypes:Unit:InvalidUnitId");
}

TEST(UnitTable, RegistersEachNormalisedExpressionOnce) {
    UnitTable table;
    const std::int32_t kmh = table.registerUnit(u"km/h", false, false);
    EXPECT_EQ(kmh, 1);
    EXPECT_EQ(table.registerUnit(u"km/h", true, true), kmh);
    EXPECT_EQ(table.registerUnit(u"m", false, false), 2);
    // Decomposed and composed forms of the same text are one key.
    EXPECT_EQ(table.registerUnit(u"\u00C5", false, false), 3);
    EXPECT_EQ(table.registerUnit(u"A\u030A", false, false), 3);
    EXPECT_EQ(table.getUnitId(u"km/h", false), kmh);
    EXPECT_EQ(table.getUnitId(u"km/s", false), UnitTable::NoUnitId);
    EXPECT_FALSE(table.isUnitUnresolved(kmh));
    EXPECT_FALSE(table.isOnlyBuiltIn());
    EXPECT_TRUE(table.doUnitsPropagate());
}

TEST(UnitTable, UnknownAndMalformedExpressions) {
    UnitTable table;
    const std::int32_t unknown = table.registerUnit(u"furlongs_per_blink", false, false);
    EXPECT_TRUE(table.isUnitUnresolved(unknown));
    EXPECT_EQ(table.registerUnit(u"blinks*m", true, false), unknown + 1);
    EXPECT_TRUE(table.isUnitUnresolved(unknown + 1));
    EXPECT_EQ(table.getUndefinedUnitsList(unknown + 1), std::vector<ustring>{u"blinks"});

    EXPECT_EQ(thrownId([&] { table.registerUnit(u"m@@s", true, false); }),
              "CorvaneTypes:Unit:PhysicalQuantityParsingError");
    EXPECT_EQ(thrownId([&] { table.registerUnit(u"m*/", true, false); }),
              "CorvaneTypes:Unit:InvalidUnitExpression");
    EXPECT_EQ(thrownId([&] { table.registerUnit(u"m@len,gth", true, false); }),
              "CorvaneTypes:Unit:AlphaNumericStringOnlyForName");
    EXPECT_EQ(table.getNumUnits(), 5u) << "a refused registration takes no id";

    for (const char16_t* bad : {u"m@@s", u"m*/", u"m@len,gth", u"((", u"^"}) {
        const std::int32_t id = table.registerUnit(bad, false, false);
        EXPECT_TRUE(table.isUnitUnresolved(id)) << testing::PrintToString(ustring(bad));
        EXPECT_EQ(table.getUnitId(bad, true), id);
    }
}

TEST(UnitTable, SanitisesNonStrictRegistrations) {
    UnitTable table;
    const std::int32_t id = table.registerUnit(u"m<s>\u0007/*x*/", false, false);
    EXPECT_EQ(table.getUserSpecifiedUnitExpr(id), u"m_s___x_");
    EXPECT_EQ(table.getUnitId(u"m<s>\u0007/*x*/", true), id);
    EXPECT_EQ(table.getUnitId(u"m<s>\u0007/*x*/", false), UnitTable::NoUnitId);
    EXPECT_EQ(table.getUnitId(u"m_s___x_", false), id);
}

// Each character of the first 384 code points is either kept or replaced, as
// the host's texts need: the quick scans and the pattern must agree on all of
// them, at every place of a block of eight characters and past one.
TEST(UnitTable, SanitisesExactlyTheCharactersThatBreakHostTexts) {
    UnitTable table;
    const ustring replaced = u"\\\"'{}[]<>&";
    for (char16_t c = 1; c < 0x180; ++c) {
        const bool control = c <= 0x1F || (c >= 0x7F && c <= 0x9F);
        const bool breaks = control || replaced.find(c) != ustring::npos;
        const ustring before(c % 10, u'm');
        const ustring text = before + c + u"s";
        const std::int32_t id = table.registerUnit(text, false, false);
        EXPECT_EQ(table.getUserSpecifiedUnitExpr(id),
                  breaks ? before + u"_s" : normalizeUnitExpression(text))
            << "U+" << std::hex << static_cast<int>(c);
    }
    for (std::size_t length = 0; length < 18; ++length) {
        const ustring before(length, u'm');
        for (const ustring marker : {u"/*", u"*/"}) {
            const ustring text = before + marker + u"s";
            EXPECT_EQ(table.getUserSpecifiedUnitExpr(table.registerUnit(text, false, false)),
                      before + u"_s")
                << testing::PrintToString(text);
        }
    }
}

TEST(UnitTable, ComparisonsOfSpecialAndRegisteredIds) {
    UnitTable table;
    const auto id = [&table](const char16_t* text) {
        return table.registerUnit(text, false, false);
    };
    const std::int32_t m = id(u"m");
    const std::tuple<std::int32_t, std::int32_t, UnitComparison> cases[] = {
        {0, m, Equivalent},
        {0, -2, Equivalent},
        {-2, 0, Equivalent},
        {-2, m, MixedUnits},
        {-1, m, InheritCompatible},
        {-1, -2, MixedUnits},
        {m, m, Equivalent},
        {m, id(u"km"), CanonicalScalingFactorDifference},
        {m, id(u"s"), IncompatibleUnits},
        {id(u"m*m"), id(u"m/s"), DimensionallyInequivalent},
        {id(u"K"), id(u"degC"), DifferentOffsets},
        {id(u"Hz"), id(u"s"), ReciprocalUnits},
        {id(u"blinks"), m, UnresolvedUnits},
        {id(u"blinks"), id(u"blinks "), Equivalent},
    };
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(table.equivalentUnits(a, b), expected) << a << " vs " << b;
    }
    EXPECT_EQ(thrownId([&] { table.equivalentUnits(m, 99); }), "CorvaneTypes:Unit:InvalidUnitId");
}

// Factors themselves are the set's; the table adds the special ids' refusals.
TEST(UnitTable, ConversionsBetweenIds) {
    UnitTable table;
    const std::int32_t m = table.registerUnit(u"m", false, false);
    const auto temperature = table.getConversionInfo(table.registerUnit(u"degC", false, false),
                                                     table.registerUnit(u"degF", false, false));
    EXPECT_DOUBLE_EQ(temperature.getScalingFactor(), 1.8);
    EXPECT_DOUBLE_EQ(temperature.getOffset(), 32);
    EXPECT_TRUE(table.getConversionInfo(m, m).isTrivial());
    EXPECT_TRUE(table.getConversionInfo(0, 0).isTrivial());
    const std::tuple<std::int32_t, std::int32_t, const char*> refusals[] = {
        {0, m, "CannotConvertUnspecified"},
        {m, -2, "CannotConvertUnspecified"},
        {m, table.registerUnit(u"s", false, false), "UnitsNotConvertible"},
        {m, 99, "InvalidUnitId"},
    };
    for (const auto& [a, b, key] : refusals) {
        EXPECT_EQ(thrownId([&] { table.getConversionInfo(a, b); }),
                  std::string("CorvaneTypes:Unit:") + key)
            << a << " to " << b;
    }
}

// The inherit unit and texts without a unit part have no definition: they
// compare and convert in the library's terms, never through a failed look-up.
TEST(UnitTable, UnitsWithoutADefinitionCompareAndConvertInLibraryTerms) {
    UnitTable table;
    const std::int32_t m = table.registerUnit(u"m", true, false);
    const std::int32_t n = table.registerUnit(u"N", true, false);
    const std::int32_t length = table.registerUnit(u"@length", false, false);
    const std::int32_t nowhere = table.registerUnit(u"@no_such_quantity", false, false);
    const std::tuple<std::int32_t, std::int32_t, UnitComparison> comparisons[] = {
        {length, m, InheritCompatible},     {length, n, IncompatibleUnits},
        {nowhere, m, UnresolvedUnits},      {m, nowhere, UnresolvedUnits},
        {nowhere, length, UnresolvedUnits},
    };
    for (const auto& [a, b, expected] : comparisons) {
        EXPECT_EQ(table.equivalentUnits(a, b), expected) << a << " vs " << b;
    }
    const std::pair<std::int32_t, std::int32_t> conversions[] = {
        {-1, n}, {n, -1}, {length, m}, {m, length}, {nowhere, m}, {-1, length}};
    for (const auto& [a, b] : conversions) {
        EXPECT_EQ(thrownId([&] { table.getConversionInfo(a, b); }),
                  "CorvaneTypes:Unit:UnitsNotConvertible")
            << a << " to " << b;
    }
    EXPECT_TRUE(table.isUnitCompatibleWithUnitSystems(nowhere, {}));
}

// Ill-formed UTF-16 is refused as the registration's split refuses it, and
// the message says what is wrong with the text; the checks answer false.
TEST(UnitTable, UnpairedSurrogates) {
    UnitTable table;
    const ustring text = u"m*" + ustring(1, u'\xD800');
    try {
        table.registerUnit(text, true, false);
        ADD_FAILURE() << "registered";
    } catch (const IUserException& e) {
        EXPECT_EQ(e.getMessageIdentifier(), "CorvaneTypes:Unit:PhysicalQuantityParsingError");
        EXPECT_NE(formatDiagnostic(e.getDiagnostic())
                      .find("unpaired UTF-16 surrogate 0xD800 at code unit 3"),
                  std::string::npos)
            << formatDiagnostic(e.getDiagnostic());
    }
    EXPECT_TRUE(table.isUnitUnresolved(table.registerUnit(text, false, false)));
    for (const ustring& bad : {text, u" " + text + u" ", ustring(1, u'\xDC00') + u"m"}) {
        EXPECT_FALSE(UnitTable::isAValidExpr(bad));
        EXPECT_FALSE(UnitTable::isAValidUnit(bad));
    }
}

// What unresolved ids answer is fixed by their ids and texts: the same id is
// Equivalent and converts to itself with unity (the same entity is asked
// before whether it resolves); two ids of the same unresolved text are
// Equivalent but not convertible once their quantities differ.
TEST(UnitTable, UnresolvedIdsAnswerByIdAndText) {
    UnitTable table;
    const std::int32_t foo = table.registerUnit(u"foo", false, false);
    const std::int32_t malformed = table.registerUnit(u"m^(1/x)", false, false);
    const std::int32_t fooLength = table.registerUnit(u"foo@length", false, false);
    const std::int32_t m = table.registerUnit(u"m", false, false);
    for (const std::int32_t id : {foo, malformed}) {
        EXPECT_TRUE(table.isUnitUnresolved(id));
        EXPECT_EQ(table.equivalentUnits(id, id), Equivalent);
        EXPECT_TRUE(table.getConversionInfo(id, id).isTrivial());
        EXPECT_EQ(table.equivalentUnits(id, m), UnresolvedUnits);
        EXPECT_EQ(thrownId([&] { table.getConversionInfo(id, m); }),
                  "CorvaneTypes:Unit:UnresolvedUnitsNotConvertible");
    }
    EXPECT_EQ(table.equivalentUnits(foo, fooLength), Equivalent);
    EXPECT_EQ(thrownId([&] { table.getConversionInfo(foo, fooLength); }),
              "CorvaneTypes:Unit:UnresolvedUnitsNotConvertible");
}

TEST(UnitTable, ErrorCausesOfComparisons) {
    for (const UnitComparison none : {Equivalent, DifferentPhysicalQuantities, InheritCompatible,
                                      UnitComparison(10), UnitComparison(-1)}) {
        EXPECT_FALSE(UnitTable::errorCause(none).has_value()) << int(none);
    }
    const std::pair<UnitComparison, const char*> causes[] = {
        {IncompatibleUnits, "IncompatibleUnits"},
        {CanonicalScalingFactorDifference, "CanonicalScalingFactorDifference"},
        {DimensionallyInequivalent, "DimensionallyInequivalent"},
        {DifferentOffsets, "DifferentOffsets"},
        {ReciprocalUnits, "ReciprocalUnits"},
        {UnresolvedUnits, "UnresolvedUnits"},
        {MixedUnits, "MixedUnits"},
    };
    for (const auto& [comparison, key] : causes) {
        const auto cause = UnitTable::errorCause(comparison);
        ASSERT_TRUE(cause.has_value());
        EXPECT_TRUE(cvsvCheckDiagnosticForMessageIdentifier(
            *cause, std::string("CorvaneTypes:Unit:") + key, 0));
    }
}

TEST(UnitTable, QuantitiesInExpressions) {
    UnitTable table;
    const std::int32_t ml = table.registerUnit(u"m@length", true, false);
    EXPECT_FALSE(table.isUnitUnresolved(ml));
    EXPECT_EQ(table.getUnitSymbolExpr(ml).substr(0, 2), u"m@");
    EXPECT_EQ(table.getUnitSymbolExpr(table.registerUnit(u"m", true, false)), u"m");

    EXPECT_EQ(thrownId([&] { table.registerUnit(u"@length", true, false); }),
              "CorvaneTypes:Unit:PhysicalQuantityWithoutUnit");
    const std::int32_t refused = table.registerUnit(u"@length", false, false);
    EXPECT_FALSE(table.isUnitPQOnly(refused));
    EXPECT_TRUE(table.isUnitUnresolved(refused));

    UnitTable other;
    const QuantityOnlyOn on;
    const std::int32_t length = other.registerUnit(u"@length", true, true);
    EXPECT_TRUE(other.isUnitPQOnly(length));
    EXPECT_FALSE(other.isUnitUnresolved(length));
    EXPECT_TRUE(other.doUnitsPQOnlyPropagate());
    EXPECT_EQ(other.getUnitNameExpr(length).substr(0, 1), u"@");
}

// The client's registrations teach its set which symbols go together.
TEST(UnitTable, RegisteredExpressionsRankTheClientsCompletions) {
    UnitTable table;
    const auto first = [](UnitTable& client, const ustring& text) {
        const auto result = client.getUnitDBSetForQuery().getAutoCompleteSuggestions(text);
        return result.units.empty() ? ustring() : result.units.front().get().getSymbol();
    };
    EXPECT_NE(first(table, u"degC*mi"), u"min");
    table.registerUnit(u"degC*min", true, false);
    EXPECT_EQ(first(table, u"degC*mi"), u"min");
    // A copy of a database unit (pound-force, lb*gn) teaches its definition,
    // to a second client as well, which reuses what the first worked out.
    for (int client = 0; client < 2; ++client) {
        UnitTable copying;
        EXPECT_NE(first(copying, u"lb*g"), u"gn") << client;
        copying.registerUnit(u"lbf", true, false);
        EXPECT_EQ(first(copying, u"lb*g"), u"gn") << client;
    }
    EXPECT_NE(UnitTable()
                  .getUnitDBSetForQuery()
                  .getAutoCompleteSuggestions(u"degC*mi")
                  .units.front()
                  .get()
                  .getSymbol(),
              u"min")
        << "another client's set learnt nothing";
}

TEST(UnitTable, ResetAndRemoveGiveIdsAgain) {
    UnitTable table;
    table.registerUnit(u"m", false, true);
    const std::int32_t s = table.registerUnit(u"s", false, false);
    table.registerUnit(u"blinks", false, false);
    table.removeUnit(*table.getUnit(s + 1));
    EXPECT_EQ(table.getUnitId(u"blinks", false), UnitTable::NoUnitId);
    EXPECT_EQ(table.registerUnit(u"h", false, false), s + 1);

    // A retired unit comes back under its old id, between ids that stayed;
    // the ids after a gap are found all the same.
    auto retired = table.getUnit(s)->clone();
    table.removeUnit(*table.getUnit(s));
    EXPECT_EQ(table.getUnit(s + 1)->getSymbol(), u"h");
    EXPECT_FALSE(table.isUnitIdValid(s));
    table.addUnit(u"s", std::move(retired));
    EXPECT_EQ(table.getUnitId(u"s", false), s);
    EXPECT_EQ(table.getUnit(s)->getSymbol(), u"s");
    EXPECT_EQ(table.getUnitId(u"h", false), s + 1);
    EXPECT_EQ(table.registerUnit(u"kg", false, false), s + 2);

    table.resetToBuiltin();
    EXPECT_TRUE(table.isOnlyBuiltIn());
    EXPECT_FALSE(table.doUnitsPropagate());
    EXPECT_EQ(table.getUnitId(u"m", false), UnitTable::NoUnitId);
    EXPECT_EQ(table.getUnitId(u"inherit", false), -1);
    EXPECT_FALSE(table.isUnitUnresolved(s + 1));
    EXPECT_EQ(table.registerUnit(u"s", false, false), 1);
}

TEST(UnitTable, ConversionsAndComparisonsFollowTheUnitsAnIdNamesNow) {
    UnitTable table;
    ASSERT_EQ(table.registerUnit(u"ft", true, false), 1);
    ASSERT_EQ(table.registerUnit(u"m", true, false), 2);
    EXPECT_DOUBLE_EQ(table.getConversionInfo(1, 2).getScalingFactor(), 0.3048);
    EXPECT_EQ(table.equivalentUnits(1, 2), CanonicalScalingFactorDifference);
    table.resetToBuiltin();
    ASSERT_EQ(table.registerUnit(u"km", true, false), 1);
    ASSERT_EQ(table.registerUnit(u"m", true, false), 2);
    EXPECT_DOUBLE_EQ(table.getConversionInfo(1, 2).getScalingFactor(), 1000);
    table.removeUnit(*table.getUnit(2));
    ASSERT_EQ(table.registerUnit(u"cm", true, false), 2);
    EXPECT_DOUBLE_EQ(table.getConversionInfo(1, 2).getScalingFactor(), 100000);
    EXPECT_EQ(table.equivalentUnits(1, 2), CanonicalScalingFactorDifference);
    table.removeUnit(*table.getUnit(2));
    ASSERT_EQ(table.registerUnit(u"s", true, false), 2);
    EXPECT_EQ(table.equivalentUnits(1, 2), IncompatibleUnits);
}

TEST(UnitTable, RegisterUnitReturnsDiagnostics) {
    UnitTable table;
    std::int32_t id = -10;
    EXPECT_FALSE(UnitTable::RegisterUnit(table, u"", u"km", &id, true).has_value());
    EXPECT_EQ(id, 1);

    const auto plain = UnitTable::RegisterUnit(table, u"", u"m@@s", &id, true);
    ASSERT_TRUE(plain.has_value());
    EXPECT_TRUE(cvsvCheckDiagnosticForMessageIdentifier(
        *plain, "CorvaneTypes:Unit:PhysicalQuantityParsingError", 0));

    const auto fromBlock = UnitTable::RegisterUnit(table, u"model/Gain", u"m@@s", &id, true);
    ASSERT_TRUE(fromBlock.has_value());
    EXPECT_TRUE(cvsvCheckDiagnosticForMessageIdentifier(*fromBlock,
                                                        "CorvaneTypes:Unit:UnitErrorFromBlock", 0));
    ASSERT_EQ(fromBlock->items()[0].causes.size(), 1u);
    EXPECT_TRUE(cvsvCheckDiagnosticForMessageIdentifier(
        fromBlock->items()[0].causes[0], "CorvaneTypes:Unit:PhysicalQuantityParsingError", 0));
}

TEST(UnitTable, TextsOfRegisteredExpressions) {
    UnitTable table;
    const std::int32_t id = table.registerUnit(u"km/h^2", false, false);
    EXPECT_EQ(table.getUnitNameExpr(id), u"kilometre/hour^2");
    EXPECT_EQ(table.getUnitSymbolExpr(id), u"km/h^2");
    EXPECT_EQ(table.getUnitDispExpr(id), u"km/h^{2}");
    const std::int32_t unknown = table.registerUnit(u"my_unit@my_q", false, false);
    EXPECT_EQ(table.getUnitSymbolExpr(unknown), u"my_unit@my_q");
    EXPECT_EQ(table.getUnitDispExpr(unknown), u"my\\_unit<my\\_q>");
}

TEST(UnitTable, ListsAreCachedPerIdUntilReset) {
    UnitTable table;
    const std::int32_t id = table.registerUnit(u"m/zork", false, false);
    const std::vector<ustring>& first = table.getUndefinedUnitsList(id);
    EXPECT_EQ(first, std::vector<ustring>{u"zork"});
    EXPECT_EQ(&table.getUndefinedUnitsList(id), &first);
    EXPECT_EQ(table.getAmbiguousUnitsList(id), std::vector<ustring>{});
    EXPECT_EQ(table.getUndefinedUnitsList(-2), std::vector<ustring>{u"mixed"});
}

// Whatever the text, a registration either gives the id of an equal text or
// the next id, or refuses with a user diagnostic and takes none.
TEST(UnitTable, HostileTextsNeitherReuseNorLoseIds) {
    UnitTable table;
    std::mt19937 random(20261206);
    const std::u16string alphabet =
        u"m s k g ^ * / ( ) @ 1 2 - . e _ < > { } \\ \" ' \u00B0 \u03BC";
    std::int32_t largest = 0;
    std::size_t refused = 0;
    for (int i = 0; i < 4000; ++i) {
        std::u16string text;
        const int length = std::uniform_int_distribution<int>(0, 24)(random);
        for (int j = 0; j < length; ++j) {
            text +=
                i % 3 == 0
                    ? static_cast<char16_t>(std::uniform_int_distribution<int>(1, 0xFFFF)(random))
                    : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() -
                                                                                 1)(random)];
        }
        const std::size_t before = table.getNumUnits();
        try {
            const std::int32_t id = table.registerUnit(text, i % 2 == 0, false);
            ASSERT_TRUE(id <= largest || id == largest + 1) << "id " << id << " after " << largest;
            ASSERT_TRUE(table.isUnitIdValid(id));
            largest = std::max(largest, id);
        } catch (const IUserException&) {
            ++refused;
            ASSERT_EQ(table.getNumUnits(), before);
        }
    }
    EXPECT_EQ(table.getNumUnits(), static_cast<std::size_t>(largest) + 3);
    EXPECT_GT(refused, 0u);
    const std::int32_t ft = table.registerUnit(u"ft", true, false);
    EXPECT_EQ(ft, largest + 1);
    EXPECT_DOUBLE_EQ(
        table.getConversionInfo(ft, table.registerUnit(u"m", true, false)).getScalingFactor(),
        0.3048);
}

TEST(UnitTable, DatabaseChangesResolveAndDisambiguateRegisteredUnits) {
    dbset_test::Universe universe;
    const WarningCollector duplicateWarnings;
    UnitTable table;
    const std::int32_t speed = table.registerUnit(u"xfurl/s", false, false);
    const std::int32_t alone = table.registerUnit(u"xfurl", false, false);
    EXPECT_TRUE(table.isUnitUnresolved(speed));

    universe.add(u"/tmp/convert_a.units",
                 {{}, {{u"xfurl", u"m", u"", {u"201.168", ConversionFactorType::Double}}}, u"a"});
    table.resolveUnresolvedUnits();
    EXPECT_FALSE(table.isUnitUnresolved(speed));
    EXPECT_FALSE(table.isUnitUnresolved(alone));
    // The unit of "xfurl" is now the database's, whose expression is "m": the
    // text it was registered under must still find it and be reported.
    EXPECT_EQ(table.getUnitId(u"xfurl", false), alone);
    EXPECT_EQ(table.getUserSpecifiedUnitExpr(alone), u"xfurl");
    EXPECT_EQ(table.getUnitId(u"xfurl/s", false), speed);
    const std::int32_t ms = table.registerUnit(u"m/s", false, false);
    EXPECT_DOUBLE_EQ(table.getConversionInfo(speed, ms).getScalingFactor(), 201.168);

    universe.add(u"/tmp/convert_b.units", {{}, {{u"xfurl", u"m"}}, u"b"});
    const std::int32_t twice = table.registerUnit(u"xfurl*m", false, false);
    EXPECT_TRUE(table.isUnitAmbiguous(twice));
    EXPECT_EQ(table.getAmbiguousUnitsList(twice), std::vector<ustring>{u"xfurl"});

    universe.add(u"/tmp/convert_b.units", {{}, {{u"yfurl", u"m"}}, u"b"});
    table.resolveAmbiguousUnits();
    EXPECT_FALSE(table.isUnitAmbiguous(twice));
}

} // namespace
