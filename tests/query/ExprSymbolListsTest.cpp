#include "units/expr/ExprSymbolLists.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"

#include <gtest/gtest.h>

using namespace CvUnitSys;

namespace {

using List = std::vector<ustring>;

TEST(ExprSymbolLists, UndefinedSymbolsInExpressionOrder) {
    const auto set = UnitDBManager::m_UnitDBManager.createNewUnitDBSet();
    set->initializeIfNeeded();
    const std::pair<const char16_t*, List> cases[] = {
        {u"m/s", {}},
        {u"km*h^2/ms", {}},
        {u"m/foo", {u"foo"}},
        {u"zz*m/aa^2", {u"aa", u"zz"}},
        {u"m/", {u"m/"}},
        {u"(m", {u"(m"}},
        {u"m@length", {u"m@length"}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(getUndefinedUnitsFromExpr(text, *set), expected)
            << testing::PrintToString(ustring(text));
    }
    const ustring unpaired = ustring(u"m*") + char16_t(0xDC00);
    EXPECT_EQ(getUndefinedUnitsFromExpr(unpaired, *set), List{unpaired});
}

TEST(ExprSymbolLists, AmbiguousSymbolsAreThoseTheManagerRecorded) {
    const auto set = UnitDBManager::m_UnitDBManager.createNewUnitDBSet();
    UnitDBManager::m_UnitDBManager.addToAmbiguousSymbols(u"xyz", {u"a", u"b"});
    EXPECT_EQ(getAmbiguousUnitsFromExpr(u"m*xyz^2/s", *set), List{u"xyz"});
    EXPECT_EQ(getAmbiguousUnitsFromExpr(u"m/s", *set), List{});
    EXPECT_EQ(getAmbiguousUnitsFromExpr(u"xyz/", *set), List{u"xyz/"});
    UnitDBManager::m_UnitDBManager.clearAmbiguousSymbols();
    EXPECT_EQ(getAmbiguousUnitsFromExpr(u"m*xyz", *set), List{});
}

} // namespace
