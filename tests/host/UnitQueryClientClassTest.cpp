#include "host/ScriptingFixtures.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/host/COSError.hpp"
#include "units/host/HxArrayConversion.hpp"

#include <functional>
#include <gtest/gtest.h>

using namespace scripting_test;

namespace {

TEST(UnitQueryClientClass, FullListsByKindWordOnly) {
    const auto client = construct("Corvane.UnitQueryClient");
    UnitDBSet set;
    set.initializeIfNeeded();
    struct Row {
        std::u16string kind;
        const char* classPath;
        std::size_t count;
    };
    const std::vector<Row> rows{
        {u"Units", "Corvane.Unit", set.getAllUnits().size()},
        {u"PhysicalQuantity", "Corvane.PhysicalQuantity", set.getAllPhysicalQuantities().size()},
        {u"Prefixes", "Corvane.UnitPrefix", set.getAllPrefixes().size()},
        {u"UnitSystems", "Corvane.UnitSystem",
         UnitDBManager::m_UnitDBManager.getAllUnitSystems().size()},
        {u"Provenances", "Corvane.UnitProvenance", set.getAllUnitProvenances().size()},
        {u"units", nullptr, 0},
        {u"Units ", nullptr, 0},
        {u"", nullptr, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(TextServices::toUtf8(row.kind));
        const auto list = call("getFullList", {client.get(), text(row.kind).get()});
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0]->getNumberOfElements(), row.count);
        if (row.classPath != nullptr) {
            EXPECT_GT(row.count, 0u);
            EXPECT_EQ(list[0]->getObjectClass().str(), row.classPath);
            EXPECT_EQ(list[0]->getN(), 1u);
        }
    }
    EXPECT_TRUE(hxIsEmpty(call("getFullList", {client.get()})[0].get()));
}

TEST(UnitQueryClientClass, ProvenancesOfAUnitOrQuantityObject) {
    const auto client = construct("Corvane.UnitQueryClient");
    const auto metre = construct("Corvane.Unit", {u"metre", u"m"});
    const auto length = construct("Corvane.PhysicalQuantity", {u"length"});
    UnitDBSet set;
    set.initializeIfNeeded();
    const auto provenances = [&](const matrix::unique_array& entity, std::u16string_view kind) {
        return call("getProvenancesFor", {client.get(), entity.get(), text(kind).get()})[0]
            ->getNumberOfElements();
    };
    EXPECT_GT(set.getProvenancesForUnit(u"m").size(), 0u);
    EXPECT_EQ(provenances(metre, u"Units"), set.getProvenancesForUnit(u"m").size());
    EXPECT_EQ(provenances(length, u"PhysicalQuantity"),
              set.getProvenancesForPhysicalQuantity(u"length").size());
    EXPECT_EQ(provenances(metre, u"Unit"), 0u);
    // An object of the other class names nothing.
    EXPECT_EQ(provenances(length, u"Units"), 0u);
    EXPECT_EQ(provenances(construct("Corvane.Unit", {u"no_such_unit"}), u"Units"), 0u);
}

TEST(UnitQueryClientClass, RelationOfTwoTexts) {
    const auto client = construct("Corvane.UnitQueryClient");
    const std::vector<std::array<std::u16string_view, 3>> rows{
        {u"m", u"m", u"equivalent"},        {u"km/h", u"m/s", u"convertible"},
        {u"s", u"Hz", u"convertible"},      {u"degC", u"K", u"convertible"},
        {u"inherit", u"m", u"convertible"}, {u"m", u"s", u"unrelated"},
        {u"wibble", u"m", u"unrelated"},    {u"", u"kg", u"equivalent"},
    };
    for (const auto& [a, b, relation] : rows) {
        SCOPED_TRACE(TextServices::toUtf8(ustring(a) + u" " + ustring(b)));
        EXPECT_EQ(call("getRelation", {client.get(), text(a).get(), text(b).get()})[0]->getString(),
                  relation);
    }
    EXPECT_EQ(call("getRelation", {client.get(), text(u"m").get()})[0]->getString(), u"");
    EXPECT_EQ(thrownKey([&] {
                  call("getRelation", {client.get(), text(u"m@").get(), text(u"m").get()});
              }),
              "PhysicalQuantityParsingError");
    EXPECT_THROW(call("getRelation", {text(u"m").get(), text(u"m").get()}), objsys::COSError);
}

TEST(UnitQueryClientClass, CompletionsCorrectionsAndSimilarUnits) {
    const auto client = construct("Corvane.UnitQueryClient");
    UnitQueryClient direct;
    const auto completed = call("getAutoCompleteList", {client.get(), text(u"N*k").get()});
    ASSERT_EQ(completed.size(), 2u);
    EXPECT_EQ(completed[0]->getString(), u"N*");
    const std::vector<ustring> symbols = direct.getAutoCompleteStrings(u"N*k").second;
    ASSERT_EQ(completed[1]->getNumberOfElements(), symbols.size());
    EXPECT_EQ(completed[1]->getObjectClass().str(), "Corvane.Unit");
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        EXPECT_EQ(get(objsys::wrapObject(omGetArrayElement(completed[1].get(), i)), "Symbol"),
                  symbols[i]);
    }
    const auto nothing = call("getAutoCompleteList", {client.get()});
    ASSERT_EQ(nothing.size(), 2u);
    EXPECT_EQ(nothing[0]->getString(), u"");
    EXPECT_TRUE(hxIsEmpty(nothing[1].get()));

    EXPECT_EQ(call("getBestApproximation", {client.get(), text(u"metr/s").get()})[0]->getString(),
              u"meter/s");
    EXPECT_EQ(call("getBestApproximation", {client.get()})[0]->getString(), u"");

    const auto similar = call("suggestUnits", {client.get(), text(u"m").get()});
    const std::vector<ustring> expected = direct.getSimilarUnits(u"m");
    ASSERT_EQ(similar[0]->getClassID(), hxClassID::Cell);
    ASSERT_EQ(similar[0]->getNumberOfElements(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(similar[0]->getCell(i)->getString(), expected[i]);
    }
    EXPECT_TRUE(hxIsEmpty(call("suggestUnits", {client.get()})[0].get()));
}

TEST(UnitQueryClientClass, EmptyCollectionsGiveEmptyArraysOfTheirClass) {
    registerClasses();
    namespace H = HxArrayConversion;
    const std::pair<std::function<matrix::unique_array()>, const char*> rows[] = {
        {[] { return H::unitObjArray(UnitDBSet::UnitSet(), UnitBase::UNIT_TYPE_UNIT); },
         "Corvane.Unit"},
        {[] {
             return H::unitObjArray(UnitDBSet::UnitSet(), UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY);
         },
         "Corvane.PhysicalQuantity"},
        {[] { return H::unitPrefixArray({}); }, "Corvane.UnitPrefix"},
        {[] { return H::unitSystemArray({}); }, "Corvane.UnitSystem"},
        {[] { return H::unitProvenanceArray(UnitDBSet::ProvenanceList()); },
         "Corvane.UnitProvenance"},
    };
    for (const auto& [make, classPath] : rows) {
        const matrix::unique_array array = make();
        EXPECT_EQ(array->getObjectClass().str(), classPath);
        EXPECT_EQ(array->getDims(), (hxArray::Dims{0, 1}));
    }
}

} // namespace
