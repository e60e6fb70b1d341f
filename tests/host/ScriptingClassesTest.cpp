#include "host/ScriptingFixtures.hpp"
#include "units/host/COSError.hpp"
#include "units/host/CvPhysicalQuantity.hpp"
#include "units/host/CvUnit.hpp"
#include "units/host/CvUnitPrefix.hpp"
#include "units/host/CvUnitProvenance.hpp"
#include "units/host/CvUnitSystem.hpp"
#include "units/query/UnitQueryClient.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace scripting_test;

namespace {

// The element of an object array whose "Symbol" is `symbol`, as a 1-by-1 array.
matrix::unique_array elementWithSymbol(const hxArray& list, std::u16string_view symbol) {
    for (std::size_t i = 0; i < list.getNumberOfElements(); ++i) {
        auto element = objsys::wrapObject(omGetArrayElement(&list, i));
        if (get(element, "Symbol") == symbol) {
            return element;
        }
    }
    return nullptr;
}

TEST(ScriptingClasses, AScriptDefinesAQuantityPrefixAndUnitThenQueriesThem) {
    ScratchDatabase scratch;
    auto quantity = construct("Corvane.PhysicalQuantity", {u"stride_length", u"length"});
    call("addToDatabase", {quantity.get()});

    auto prefix = construct("Corvane.UnitPrefix", {u"dozen", u"dz", u"dz"});
    set(prefix, "ConversionFactor", u"12");
    call("addToDatabase", {prefix.get()});

    auto unit = construct("Corvane.Unit", {u"smoot", u"smoot", u"smoot", u"m"});
    set(unit, "PhysicalQuantity", u"length");
    set(unit, "UnitPrefixes", u"kilo, dozen");
    set(unit, "UnitSystem", u"SI");
    set(unit, "ConversionFactor", u"1.7018");
    call("addToDatabase", {unit.get()});

    auto client = construct("Corvane.UnitQueryClient");
    const auto relation = [&](std::u16string_view a, std::u16string_view b) {
        return call("getRelation", {client.get(), text(a).get(), text(b).get()})[0]->getString();
    };
    EXPECT_EQ(relation(u"smoot", u"ft"), u"convertible");
    EXPECT_EQ(relation(u"dzsmoot", u"ksmoot"), u"convertible");
    EXPECT_EQ(relation(u"smoot", u"s"), u"unrelated");
    EXPECT_EQ(relation(u"m@stride_length", u"ft@stride_length"), u"convertible");
    EXPECT_EQ(relation(u"m@stride_length", u"m@length"), u"unrelated");
    UnitQueryClient query;
    EXPECT_DOUBLE_EQ(query.getConversionInfo(u"dzsmoot", u"m").getScalingFactor(), 12 * 1.7018);

    const auto units = call("getFullList", {client.get(), text(u"Units").get()});
    const auto listed = elementWithSymbol(*units[0], u"smoot");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(get(listed, "Name"), u"smoot");
    EXPECT_EQ(get(listed, "Definition"), u"m");
    EXPECT_EQ(get(listed, "PhysicalQuantity"), u"length");
    EXPECT_EQ(get(listed, "UnitSystem"), u"SI");
    EXPECT_EQ(get(listed, "ConversionFactor"), u"1.7018");
    const ustring prefixes = get(listed, "UnitPrefixes");
    EXPECT_NE(prefixes.find(u"kilo"), ustring::npos);
    EXPECT_NE(prefixes.find(u"dozen"), ustring::npos);
}

// A property value as a test reads it: texts as they are, logical and int32
// scalars in decimal.
std::string shown(const hxArray& value) {
    switch (value.getClassID()) {
    case hxClassID::Char:
        return TextServices::toUtf8(value.getString());
    case hxClassID::Logical:
        return value.getLogical(0) ? "true" : "false";
    default:
        return std::to_string(static_cast<long>(value.getReal(0)));
    }
}

TEST(ScriptingClasses, PropertiesComeInOrderWithTheirDefaults) {
    // Each class's properties in order, as name=default.
    const std::pair<const char*, std::string> rows[] = {
        {"Corvane.Unit", "Name= Symbol= ASCIISymbol= UnitSystem= UnitPrefixes= Definition= "
                         "Display= PhysicalQuantity= Subunit= IsCommonSubunit=false "
                         "ConversionFactor= ConversionType=1 IsAccurateConversion=false "},
        {"Corvane.PhysicalQuantity", "Name= Definition= Display= "},
        {"Corvane.UnitPrefix",
         "Name= Symbol= ASCIISymbol= UnitSystem= Display= ConversionFactor=1 ConversionType=1 "},
        {"Corvane.UnitProvenance", "ProvenanceID= Title= Subtitle= Organization= "
                                   "OrganizationFullName= URLs= Edition= Year=0 "},
        {"Corvane.UnitSystem", "Name= "},
        {"Corvane.UnitQueryClient", ""},
    };
    for (const auto& [classPath, expected] : rows) {
        const auto object = construct(classPath);
        std::string listed;
        for (const auto& property :
             omGetArrayElement(object.get(), 0)->getClass().getProperties()) {
            const std::string name = property->getName();
            listed += name + "=" + shown(*omGetProperty(object.get(), name)) + " ";
        }
        EXPECT_EQ(listed, expected) << classPath;
    }
}

TEST(ScriptingClasses, ConstructorsStoreTheirTextsAndLeaveOutMissingOnes) {
    const auto unit = construct("Corvane.Unit", {u"metre", u"m", u"M", u"length"});
    EXPECT_EQ((std::vector<ustring>{get(unit, "Name"), get(unit, "Symbol"),
                                    get(unit, "ASCIISymbol"), get(unit, "Definition")}),
              (std::vector<ustring>{u"metre", u"m", u"M", u"length"}));
    const auto quantity = construct("Corvane.PhysicalQuantity", {u"area"});
    EXPECT_EQ(get(quantity, "Name") + u"|" + get(quantity, "Definition"), u"area|");
    const auto prefix = construct("Corvane.UnitPrefix", {u"kilo", u"k"});
    EXPECT_EQ(get(prefix, "Symbol") + u"|" + get(prefix, "ASCIISymbol"), u"k|");
    EXPECT_EQ(thrownKey([] {
                  construct("Corvane.UnitPrefix", {u"micro", u"µ", u"µ"});
              }),
              "NonAsciiSymbolUnsupported");
    EXPECT_THROW(construct("Corvane.UnitSystem", {u"SI"}), objsys::COSError);
}

TEST(ScriptingClasses, SettersTakeNullLongTextsAndRefuseWhatDoesNotFit) {
    for (const char* classPath : {"Corvane.Unit", "Corvane.UnitPrefix"}) {
        SCOPED_TRACE(classPath);
        const auto object = construct(classPath, {u"name", u"sym", u"sym"});
        EXPECT_EQ(thrownKey([&] { set(object, "ASCIISymbol", u"\u00b5s"); }),
                  "NonAsciiSymbolUnsupported");
        EXPECT_EQ(get(object, "ASCIISymbol"), u"sym");
        set(object, "ASCIISymbol", u"us");
        EXPECT_EQ(get(object, "ASCIISymbol"), u"us");
        // Non-ASCII text is fine where ASCII is not required.
        set(object, "Symbol", u"\u00b5s");
        EXPECT_EQ(get(object, "Symbol"), u"\u00b5s");

        omSetProperty(object.get(), "Name", nullptr);
        EXPECT_EQ(get(object, "Name"), u"");
        const ustring longText(100000, u'x');
        set(object, "Name", longText);
        EXPECT_EQ(get(object, "Name"), longText);
        omSetProperty(object.get(), "Name",
                      hxArray::makeNumeric({0, 0}, hxClassID::Double, hxComplexity::Real).get());
        EXPECT_EQ(get(object, "Name"), u"");

        set(object, "Name", u"kept");
        auto number = hxArray::makeNumeric({1, 1}, hxClassID::Double, hxComplexity::Real);
        number->setReal(0, 2.5);
        EXPECT_THROW(omSetProperty(object.get(), "Name", number.get()), objsys::COSError);
        EXPECT_THROW(omSetProperty(object.get(), "ConversionType", number.get()), objsys::COSError);
        EXPECT_THROW(set(object, "NoSuchProperty", u"x"), objsys::COSError);
        EXPECT_EQ(get(object, "Name"), u"kept");
        number->setReal(0, 6);
        omSetProperty(object.get(), "ConversionType", number.get());
        EXPECT_EQ(omGetProperty(object.get(), "ConversionType")->getReal(0), 6);
    }
}

TEST(ScriptingClasses, AddToDatabaseRefusesBadEntriesAndAddsNothing) {
    struct Row {
        const char* classPath;
        std::vector<std::pair<const char*, std::u16string_view>> properties;
        std::string key;
        std::u16string firstArg;
    };
    const std::vector<Row> rows{
        {"Corvane.Unit", {{"PhysicalQuantity", u""}}, "UnitNotInDatabase", u""},
        {"Corvane.Unit", {{"PhysicalQuantity", u"lenght"}}, "UnitNotInDatabase", u"lenght"},
        {"Corvane.Unit",
         {{"PhysicalQuantity", u"length"}, {"UnitPrefixes", u"kilo,kilogram"}},
         "UnitPrefixNotInDatabase",
         u"kilogram"},
        {"Corvane.Unit",
         {{"PhysicalQuantity", u"length"}, {"Name", u"per/second"}},
         "InvalidUnitIgnored",
         u"per/second"},
        {"Corvane.Unit",
         {{"PhysicalQuantity", u"length"}, {"Symbol", u"a b"}},
         "InvalidUnitIgnored",
         u"newunit"},
        {"Corvane.Unit",
         {{"PhysicalQuantity", u"length"}, {"Definition", u"m^"}},
         "InvalidUnitIgnored",
         u"newunit"},
        {"Corvane.PhysicalQuantity", {{"Name", u"per/second"}}, "InvalidPQIgnored", u"per/second"},
        {"Corvane.PhysicalQuantity", {{"Definition", u"(length"}}, "InvalidPQIgnored", u"newunit"},
    };
    ScratchDatabase scratch;
    const UnitDatabase& database = *UnitDatabase::getUnitDatabase();
    const std::size_t units = database.getNumUnits();
    const std::size_t quantities = database.getNumPhysicalQuantities();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key + " " + TextServices::toUtf8(row.firstArg));
        const auto object = std::string(row.classPath) == "Corvane.Unit"
                                ? construct(row.classPath, {u"newunit", u"nu", u"nu", u"m"})
                                : construct(row.classPath, {u"newunit", u"length"});
        for (const auto& [property, value] : row.properties) {
            set(object, property, value);
        }
        try {
            call("addToDatabase", {object.get()});
            ADD_FAILURE() << "nothing thrown";
        } catch (const IUserException& e) {
            const auto& id = e.getDiagnostic().items().front().id;
            EXPECT_EQ(id.getKey(), row.key);
            EXPECT_EQ(boost::get<ustring>(id.getArgs().at(0)), row.firstArg);
        }
        EXPECT_EQ(database.getNumUnits(), units);
        EXPECT_EQ(database.getNumPhysicalQuantities(), quantities);
        EXPECT_TRUE(database.getUnit(u"nu").empty());
    }
}

TEST(ScriptingClasses, DisplayWritesToTheUserOutputStream) {
    struct Row {
        const char* classPath;
        std::vector<std::pair<const char*, std::u16string_view>> properties;
        std::function<void(const hxArray*)> display;
        std::u16string expected;
    };
    const auto provenance = [](const hxArray* a) {
        CvUnitProvenanceObj::getObjsysObject(a)->dispUnitProvenance();
    };
    const std::vector<std::pair<const char*, std::u16string_view>> source{
        {"ProvenanceID", u"SP811"},
        {"Organization", u"NIST"},
        {"Title", u"Guide"},
        {"Edition", u"2008"},
        {"URLs", u"https://a,https://b"}};
    auto withSubtitle = source;
    withSubtitle.emplace_back("Subtitle", u"Special Publication 811");
    const std::vector<Row> rows{
        {"Corvane.Unit",
         {{"Symbol", u"m"}, {"Name", u"metre"}},
         [](const hxArray* a) { CvUnitObj::getObjsysObject(a)->dispUnit(); },
         u"m\n"},
        {"Corvane.PhysicalQuantity",
         {{"Name", u"length"}},
         [](const hxArray* a) {
             CvPhysicalQuantityObj::getObjsysObject(a)->dispPhysicalQuantity();
         },
         u"length\n"},
        {"Corvane.UnitPrefix",
         {{"Symbol", u"k"}, {"Name", u"kilo"}},
         [](const hxArray* a) { CvUnitPrefixObj::getObjsysObject(a)->dispUnitPrefix(); },
         u"k\n"},
        {"Corvane.UnitSystem",
         {{"Name", u"SI"}},
         [](const hxArray* a) { CvUnitSystemObj::getObjsysObject(a)->dispUnitSystem(); },
         u"SI\n"},
        {"Corvane.UnitProvenance", source, provenance,
         u"SP811: NIST, \"Guide\", 2008 Edition (0)\nURLs: https://a,https://b\n"},
        {"Corvane.UnitProvenance", withSubtitle, provenance,
         u"SP811: NIST, \"Guide: Special Publication 811\", 2008 Edition (0)\n"
         u"URLs: https://a,https://b\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.classPath);
        const auto object = construct(row.classPath);
        for (const auto& [property, value] : row.properties) {
            set(object, property, value);
        }
        CapturedOutput output;
        row.display(object.get());
        EXPECT_EQ(output.text(), row.expected);
    }
}

} // namespace
