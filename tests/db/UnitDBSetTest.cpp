#include "db/DbSetFixtures.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitExprWithTexts.hpp"
#include "units/platform/TextServices.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <span>
#include <tuple>
#include <vector>

namespace {

using namespace dbset_test;

std::unique_ptr<Unit>
expressionUnit(const ustring& expression,
               const UnitBase& quantity = UnitFactory::getDefaultPhysicalQuantity(),
               const ustring& name = u"") {
    return std::make_unique<Unit>(-10, name, expression, expression, expression, u"",
                                  defaultStoredConversionFactor(), quantity);
}

// The unit `symbol` of the database of short name `system`, defined as metres
// times `scale`.
UnitRow scaledMetre(const ustring& symbol, const ustring& scale) {
    return {symbol, u"m", u"length", {scale, ConversionFactorType::Double}};
}

class UnitDBSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        universe.add(u"a", {{}, {scaledMetre(u"xyz", u"2"), scaledMetre(u"onlyA", u"3")}, u"sa"});
        universe.add(u"b", {{}, {scaledMetre(u"xyz", u"5")}, u"sb"});
        set.initializeIfNeeded();
    }
    // Which database's unit a name resolves to, or "-" when none.
    ustring resolvedIn(const ustring& name) const {
        const auto found = set.findUnit(name);
        return found.empty()
                   ? u"-"
                   : set.getDefiningDatabaseName(ustring(found.begin()->get().getSymbol()));
    }
    // The database's unit of that name, or else a unit defined by the text.
    const UnitBase& unitFor(const ustring& text) {
        if (!set.findUnit(text).empty()) {
            return set.getUnit(text);
        }
        return *expressions.emplace_back(expressionUnit(text));
    }
    double scaleOf(const ustring& name) {
        const UnitBase& unit = set.getUnit(name);
        set.genUnitDefinition(unit);
        return set.getUnitDefinition(unit).getFundamentalConversionFactor().toDouble();
    }

    WarningCollector warnings;
    Universe universe;
    UnitDBSet set;
    std::vector<std::unique_ptr<Unit>> expressions;
};

TEST_F(UnitDBSetTest, NamesResolveInDatabaseOrderAndByQualifier) {
    struct Case {
        ustring name;
        double scale;
    };
    for (const Case& c : {Case{u"m", 1}, Case{u"sb::m", 1}, Case{u"km", 1000}, Case{u"xyz", 2},
                          Case{u"sa::xyz", 2}, Case{u"sb::xyz", 5}, Case{u"sa::onlyA", 3}}) {
        EXPECT_DOUBLE_EQ(scaleOf(c.name), c.scale) << std::string(c.name.begin(), c.name.end());
    }
    for (const ustring name : {u"zz::xyz", u"sb::onlyA", u"xyz::", u":", u"a:xyz"}) {
        EXPECT_TRUE(set.findUnit(name).empty()) << std::string(name.begin(), name.end());
    }
    EXPECT_EQ(thrownKey([&] { set.getUnit(u"zz::xyz"); }), "UnitNotInDatabase");
    EXPECT_EQ(thrownKey([&] { set.getPhysicalQuantity(u"m"); }), "PhysicalQuantityNotInDatabase");
    EXPECT_EQ(resolvedIn(u"xyz"), u"a");
    EXPECT_EQ(set.getDefiningDatabaseName(u"onlyA"), u"a");
    EXPECT_TRUE(set.getDefiningDatabaseName(u"nothing").empty());
    EXPECT_EQ(set.getDB(u"b")->getName(), u"b");
    EXPECT_EQ(set.getDB(u"sb"), nullptr);
}

TEST_F(UnitDBSetTest, QuantityFilterAcceptsAnyUnitForTheDefaultQuantity) {
    const UnitBase& length = set.getPhysicalQuantity(u"length");
    const UnitBase& time = set.getPhysicalQuantity(u"time");
    EXPECT_TRUE(set.hasUnit(u"ft", length));
    EXPECT_FALSE(set.hasUnit(u"ft", time));
    EXPECT_TRUE(set.hasUnit(u"ft", UnitFactory::getDefaultPhysicalQuantity()));
    EXPECT_FALSE(set.hasUnit(u"zorkmid", UnitFactory::getDefaultPhysicalQuantity()));
}

TEST_F(UnitDBSetTest, DefinitionsOfUserUnitsAreKeyedByTheirDatabase) {
    const UnitBase& inA = set.getUnit(u"sa::xyz");
    const UnitBase& inB = set.getUnit(u"sb::xyz");
    EXPECT_EQ(set.getQualifiedSymbolForCustomUnit(inA), u"sa::xyz");
    EXPECT_EQ(set.getQualifiedSymbolForCustomUnit(inB), u"sb::xyz");
    EXPECT_EQ(set.getQualifiedSymbolForCustomUnit(set.getUnit(u"m")), u"m");
    EXPECT_EQ(set.equivalent(inA, inB, UsePosNegExpo), CanonicalScalingFactorDifference);
}

TEST_F(UnitDBSetTest, ComparesEntities) {
    auto inheritLength = expressionUnit(u"", set.getPhysicalQuantity(u"length"), u"inherit");
    auto inheritTime = expressionUnit(u"", set.getPhysicalQuantity(u"time"), u"inherit");
    auto anySeconds = expressionUnit(u"s");
    auto kgms2 = expressionUnit(u"kg*m/s^2", set.getPhysicalQuantity(u"force"), u"kgms2");
    struct Case {
        const UnitBase& a;
        const UnitBase& b;
        UnitComparison expected;
    };
    const Case cases[] = {
        {set.getUnit(u"m"), set.getUnit(u"m"), Equivalent},
        {set.getUnit(u"N"), *kgms2, Equivalent},
        {set.getUnit(u"m"), set.getUnit(u"ft"), CanonicalScalingFactorDifference},
        {set.getUnit(u"K"), set.getUnit(u"degC"), DifferentOffsets},
        {set.getUnit(u"degC"), set.getUnit(u"degF"), DifferentOffsets},
        {set.getUnit(u"m"), set.getUnit(u"s"), IncompatibleUnits},
        {set.getUnit(u"Hz"), set.getUnit(u"s"), ReciprocalUnits},
        {*inheritLength, set.getUnit(u"ft"), InheritCompatible},
        {*inheritLength, *inheritLength, Equivalent},
        {*inheritLength, *inheritTime, IncompatibleUnits},
        {*inheritTime, *anySeconds, InheritCompatible},
        {*inheritLength, *anySeconds, DimensionallyInequivalent},
        {set.getPhysicalQuantity(u"length"), set.getPhysicalQuantity(u"time"),
         DifferentPhysicalQuantities},
        {set.getPhysicalQuantity(u"length"), UnitFactory::getDefaultPhysicalQuantity(), Equivalent},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(set.equivalent(cases[i].a, cases[i].b, UsePosNegExpo), cases[i].expected)
            << "case " << i;
    }
}

TEST_F(UnitDBSetTest, ConvertsBetweenConvertibleUnits) {
    struct Case {
        ustring from;
        ustring to;
        double scaling;
        double offset;
        bool inverted;
    };
    const Case cases[] = {
        {u"ft", u"m", 0.3048, 0, false},    {u"km/h", u"m/s", 1 / 3.6, 0, false},
        {u"degC", u"degF", 1.8, 32, false}, {u"degF", u"K", 5.0 / 9, 255.37222222222223, false},
        {u"m", u"m", 1, 0, false},          {u"N", u"kg*m/s^2", 1, 0, false},
        {u"Hz", u"s", 1, 0, true},          {u"sa::xyz", u"sb::xyz", 0.4, 0, false},
    };
    for (const Case& c : cases) {
        const auto info = set.getConversionInfo(unitFor(c.from), unitFor(c.to));
        const std::string label(c.from.begin(), c.from.end());
        EXPECT_DOUBLE_EQ(info.getScalingFactor(), c.scaling) << label;
        EXPECT_DOUBLE_EQ(info.getOffset(), c.offset) << label;
        EXPECT_EQ(info.isInverted(), c.inverted) << label;
    }
    auto foot = expressionUnit(u"ft");
    auto metre = expressionUnit(u"m");
    EXPECT_EQ(set.getConversionInfo(*foot, *metre).getConversionFactor(),
              ConversionFactorFactory::createConversionFactor(381, 1250, 0));
}

TEST_F(UnitDBSetTest, RefusesConversionsWithoutAnExactMeaning) {
    for (const auto& [from, to] : {std::pair<ustring, ustring>{u"m", u"s"},
                                   {u"degC*m", u"K*m"},
                                   {u"degC/s", u"degC/s"},
                                   {u"N", u"kg"}}) {
        auto a = expressionUnit(from);
        auto b = expressionUnit(to);
        // The same text twice is the same unit, which always converts.
        if (a->compare(*b) == 0) {
            b = expressionUnit(u"degC/min");
        }
        EXPECT_EQ(thrownKey([&] { set.getConversionInfo(*a, *b); }), "UnitsNotConvertible")
            << std::string(from.begin(), from.end());
    }
    auto unknown = expressionUnit(u"zorkmid/s");
    set.setUnresolved(*unknown);
    WarningCollector none;
    try {
        set.getConversionInfo(*unknown, *expressionUnit(u"m"));
        ADD_FAILURE() << "converted an unresolved unit";
    } catch (const IUserException& e) {
        const auto& id = e.getDiagnostic().items().front().id;
        EXPECT_EQ(id.getKey(), "UnresolvedUnitsNotConvertible");
        EXPECT_EQ(boost::get<ustring>(id.getArgs()[2]), u"zorkmid");
    }
}

TEST_F(UnitDBSetTest, UnresolvedUnitsCompareByTheirText) {
    auto first = expressionUnit(u"zorkmid");
    auto same = expressionUnit(u"zorkmid");
    auto other = expressionUnit(u"fortnight");
    set.setUnresolved(*first);
    set.setUnresolved(*other);
    EXPECT_TRUE(set.isUnresolved(*same));
    EXPECT_EQ(set.equivalent(*first, *same, UsePosNegExpo), Equivalent);
    EXPECT_EQ(set.equivalent(*first, *other, UsePosNegExpo), UnresolvedUnits);
    EXPECT_EQ(set.equivalent(*first, set.getUnit(u"m"), UsePosNegExpo), UnresolvedUnits);
    set.clearTemporaryUnitDefinitions();
    EXPECT_FALSE(set.isUnresolved(*first));
}

TEST_F(UnitDBSetTest, ChecksExpressionsAndEntities) {
    EXPECT_TRUE(set.isValidUnitExpr(u"km/h"));
    EXPECT_TRUE(set.isValidUnitExpr(u"m@length"));
    EXPECT_TRUE(set.isValidUnitExpr(u"inherit"));
    EXPECT_FALSE(set.isValidUnitExpr(u"m/zorkmid"));
    EXPECT_EQ(thrownKey([&] { set.isValidUnitExpr(u"m/"); }), "ParsingError");

    EXPECT_TRUE(set.isValid(set.getUnit(u"ft"), false));
    auto wrongQuantity = expressionUnit(u"s", set.getPhysicalQuantity(u"length"), u"wrong");
    EXPECT_EQ(thrownKey([&] { set.isValid(*wrongQuantity, true); }), "DimensionallyInconsistent");
    auto badName = expressionUnit(u"m", UnitFactory::getDefaultPhysicalQuantity(), u"two words");
    EXPECT_EQ(thrownKey([&] { set.isValid(*badName, false); }), "AlphaNumericStringOnlyForName");
    EXPECT_TRUE(set.isValid(*badName, true));
}

// A parse that looked its symbols up already resolves them as its expression
// does: entities in order, two symbols of one unit gathered, and names the
// built-in database lacks or that are qualified asked of the set.
TEST_F(UnitDBSetTest, ParsedSymbolsResolveAsTheirExpression) {
    const auto entries = [](const std::optional<UnitAST>& parts) {
        std::vector<std::tuple<const UnitBase*, double, double>> out;
        const UnitAST ast = parts.value_or(UnitAST());
        for (const auto& [entity, exponent] : ast.getAST()) {
            out.emplace_back(&entity.get(), exponent.getPosExpo(), exponent.getNegExpo());
        }
        return out;
    };
    for (const ustring text : {u"s*m*metre^2", u"hour/h^3*min/kg", u"xyz*km/sb::m^2",
                               u"onlyA*kg^-1/s*g", u"nosuch*m", u"km*s/ms*m^2*g/kg*min"}) {
        const UnitExprWithTexts parsed(text);
        UnitExpr expression;
        parseUnitExprThrows(text, expression);
        const auto fromSymbols = set.resolveUnitExpr(
            std::span(parsed.symbols.data(), parsed.symbols.size()), parsed.lookedUpIn);
        const auto fromExpression = set.resolveUnitExpr(expression);
        EXPECT_EQ(fromSymbols.has_value(), fromExpression.has_value())
            << testing::PrintToString(text);
        EXPECT_EQ(entries(fromSymbols), entries(fromExpression)) << testing::PrintToString(text);
    }
}

TEST_F(UnitDBSetTest, ReportsDuplicatesAndRecordsAmbiguousSymbols) {
    // The set-up's registrations already reported; look at a fresh detection.
    warnings.clear();
    universe.add(u"c", {{}, {scaledMetre(u"ft", u"0.3"), scaledMetre(u"onlyA", u"4")}, u"sc"});
    // A symbol twice in one database, and a unit system that "a" has too.
    universe.add(u"d", {{},
                        {scaledMetre(u"dup", u"2"),
                         {u"dup", u"m", u"length", {u"7", ConversionFactorType::Double}, u"other"}},
                        u"sa"});
    const auto texts = warningTexts(warnings);
    for (const ustring expected :
         {u"DuplicationOfUnitsWithBuiltin(ft|__BUILT__IN__,c)", u"DuplicationOfUnits(onlyA|a,c|a)",
          u"DuplicationOfUnits(xyz|a,b|a)", u"DuplicationOfUnits(dup|d|d)",
          u"DuplicationOfUnits(sa|a,d|a)"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end())
            << TextServices::toUtf8(expected);
    }

    UnitDBManager& manager = UnitDBManager::m_UnitDBManager;
    EXPECT_TRUE(manager.isAmbiguousSymbol(u"xyz"));
    EXPECT_EQ(manager.getAmbiguousSymbolsUnitSystems(u"xyz"), (std::set<ustring>{u"sa", u"sb"}));
    EXPECT_FALSE(manager.isAmbiguousSymbol(u"ft"));
    set.initializeIfNeeded();
    EXPECT_TRUE(set.isAmbiguousUnitExpr(u"m/xyz"));
    EXPECT_FALSE(set.isAmbiguousUnitExpr(u"m/ft"));
}

TEST_F(UnitDBSetTest, InvalidUserUnitsAreRemovedWithTheReason) {
    warnings.clear();
    universe.add(u"bad", {{{u"speed", u"length/time"}},
                          {{u"good", u"m/s", u"speed"},
                           {u"undefined", u"m/zorkmid", u"length"},
                           {u"mismatch", u"s", u"length"},
                           {u"loopA", u"loopB"},
                           {u"loopB", u"loopA"},
                           {u"self", u"self*m"},
                           {u"uses_bad", u"undefined*m"}},
                          u"sbad"});
    const auto texts = warningTexts(warnings);
    for (const ustring expected :
         {u"InvalidUnitIgnoredUndefinedUnitsInDefinition(undefined|bad)",
          u"InvalidUnitIgnoredDimensionMismatch(mismatch|bad)", u"CycleInAST(loopA)",
          u"CycleInAST(self)", u"InvalidUnitIgnoredUndefinedUnitsInDefinition(loopB|bad)"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end())
            << TextServices::toUtf8(expected);
    }
    set.initializeIfNeeded();
    const UnitDatabase* db = set.getDB(u"bad");
    ASSERT_NE(db, nullptr);
    for (const ustring removed : {u"undefined", u"mismatch", u"loopA", u"loopB", u"self"}) {
        EXPECT_TRUE(db->getUnit(removed).empty()) << std::string(removed.begin(), removed.end());
    }
    EXPECT_FALSE(db->getUnit(u"good").empty());
    EXPECT_EQ(set.equivalent(set.getUnit(u"good"), *expressionUnit(u"m/s"), UsePosNegExpo),
              Equivalent);
}

TEST_F(UnitDBSetTest, CycleFailsEveryTimeAndLeavesTheSetUsable) {
    // Listed without the host's reload, so validation has not removed the cycle.
    universe.define(
        u"e", {{}, {{u"loopA", u"loopB"}, {u"loopB", u"m*loopA"}, {u"broken", u"zorkmid"}}, u"se"});
    UnitDBManager::m_UnitDBManager.registerInternalUnitDatabase(u"e", [] { return Model(); });
    UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
    set.initializeIfNeeded();
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(thrownKey([&] { set.genUnitDefinition(set.getUnit(u"loopB")); }), "CycleInAST");
        // A failed generation must not stay marked as in progress.
        EXPECT_EQ(thrownKey([&] { set.genUnitDefinition(set.getUnit(u"broken")); }),
                  "UnitNotInDatabase");
    }
    EXPECT_DOUBLE_EQ(scaleOf(u"ft"), 0.3048);
}

TEST_F(UnitDBSetTest, RebuildsWhenTheListChanges) {
    const std::uint32_t before = UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
    EXPECT_TRUE(set.isInitialized());
    universe.add(u"a", {{}, {scaledMetre(u"xyz", u"7")}, u"sa"});
    EXPECT_EQ(UnitDBManager::m_UnitDBManager.getUnitDBSetVersion(), before + 1);
    EXPECT_FALSE(set.isInitialized());
    // Until it rebuilds, the set keeps answering from the databases it had.
    EXPECT_DOUBLE_EQ(scaleOf(u"xyz"), 2);
    set.initializeIfNeeded();
    EXPECT_DOUBLE_EQ(scaleOf(u"xyz"), 7);
    EXPECT_TRUE(set.findUnit(u"onlyA").empty());
}

// A registered text's definition holds its unit's texts, which another unit of
// the same symbol finds; clearing lets both go, which is what bounds them.
TEST_F(UnitDBSetTest, TemporaryDefinitionsGoWhenCleared) {
    auto unit = expressionUnit(u"kg*m^3/s");
    set.genUnitDefinition(*unit);
    const UnitTexts texts = unit->getTexts();
    unit.reset();
    const auto sameSymbol = expressionUnit(u"kg*m^3/s");
    EXPECT_DOUBLE_EQ(set.getUnitDefinition(*sameSymbol).getFundamentalConversionFactor().toDouble(),
                     1);
    EXPECT_FALSE(texts.isLastCopy());
    set.clearTemporaryUnitDefinitions();
    EXPECT_TRUE(texts.isLastCopy());
    EXPECT_THROW(set.getUnitDefinition(*sameSymbol), std::out_of_range);
}

TEST_F(UnitDBSetTest, ListsGatherEveryDatabase) {
    std::size_t userUnits = 0;
    for (const UnitBase& unit : set.getAllUnits()) {
        userUnits += unit.getSymbol() == u"xyz" || unit.getSymbol() == u"onlyA";
    }
    EXPECT_EQ(userUnits, 3U);
    const UnitDatabase& builtin = *UnitDatabase::getBuiltinDatabase();
    EXPECT_EQ(set.getAllPrefixes().size(), builtin.getAllPrefixes().size());
    EXPECT_EQ(set.getAllPhysicalQuantities().size(), builtin.getNumPhysicalQuantities());
}

} // namespace
