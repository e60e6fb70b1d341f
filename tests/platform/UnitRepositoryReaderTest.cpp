#include "units/platform/UnitRepositoryReader.hpp"

#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/UnitRepository.hpp"
#include "units/platform/WarningSink.hpp"
#include "units/platform/ZipPackage.hpp"
#include "units/platform/ZipPackageWriter.hpp"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace CvUnitSys;

namespace {

const UnitRepository::UnitDatabase& databaseOf(const Model& model) {
    const auto* db = model.findTopLevelElement<UnitRepository::UnitDatabase>();
    if (db == nullptr) {
        throw std::logic_error("no database element");
    }
    return *db;
}

std::string wrap(const std::string& entries) {
    return "<?xml version=\"1.0\"?>\n<unitDatabase name=\"shop\">\n" + entries +
           "\n</unitDatabase>\n";
}

// Key, first argument and extra text of every item of every warning.
struct Item {
    std::string key;
    std::u16string firstArg;
    std::string extraText;
};

std::vector<Item> itemsOf(const WarningCollector& collector) {
    std::vector<Item> items;
    for (const Diagnostic& d : collector.warnings()) {
        for (const DiagnosticItem& item : d.items()) {
            const auto& args = item.id.getArgs();
            items.push_back({item.id.getKey(),
                             args.empty() ? u"" : boost::get<std::u16string>(args.front()),
                             item.extraText});
        }
    }
    return items;
}

TEST(UnitRepositoryReader, ReadsEveryValueAndFillsTheDefaults) {
    WarningCollector warnings;
    const Model model = UnitRepositoryReader::readDocument(wrap(R"(
  <provenance id="HB" title="Handbook" subtitle="Units" organization="Shop"
              organizationFullName="The Shop" edition="2" year="2024">
    <url> https://example.org/a </url>
    <url>https://example.org/b</url>
  </provenance>
  <physicalQuantity name="flow_speed" definition="length/time">
    <provenance ref="HB"/>
  </physicalQuantity>
  <unit name="shop_foot" symbol="s_ft" asciiSymbol="" definition="ft"/>
  <unit name="warm" symbol="wm" asciiSymbol="warm" display="W" definition="K"
        physicalQuantity="thermodynamic_temperature" factor="2,3,5,1" factorKind="rationalAffine"
        subUnit="ft"><provenance ref="HB"/><provenance ref="X"/></unit>)"),
                                                           "shop.xml");
    EXPECT_TRUE(warnings.warnings().empty());

    using Texts = std::vector<ustring>;
    const auto& db = databaseOf(model);
    EXPECT_EQ(db.name, u"shop");
    ASSERT_EQ(db.getUnitProvenance().size(), 1U);
    const auto& p = db.getUnitProvenance()[0];
    EXPECT_EQ((Texts{p.id, p.title, p.subtitle, p.organization, p.organizationFullName, p.edition}),
              (Texts{u"HB", u"Handbook", u"Units", u"Shop", u"The Shop", u"2"}));
    EXPECT_EQ(p.year, 2024);
    EXPECT_EQ(p.getMURLs(), (Texts{u"https://example.org/a", u"https://example.org/b"}));

    ASSERT_EQ(db.getPhysicalquantity().size(), 1U);
    EXPECT_EQ(db.getPhysicalquantity()[0].definition, u"length/time");
    EXPECT_EQ(db.getPhysicalquantity()[0].getUnitprovenance(), Texts{u"HB"});

    ASSERT_EQ(db.getUnit().size(), 2U);
    const auto& plain = db.getUnit()[0];
    EXPECT_EQ((Texts{plain.asciiSymbol, plain.display, plain.physicalQuantity, plain.factor}),
              (Texts{u"s_ft", u"s\\_ft", u"", u"1"}));
    EXPECT_EQ(plain.factorKind, ConversionFactorType::Double);
    const auto& full = db.getUnit()[1];
    EXPECT_EQ((Texts{full.asciiSymbol, full.display, full.physicalQuantity, full.subUnit}),
              (Texts{u"warm", u"W", u"thermodynamic_temperature", u"ft"}));
    EXPECT_EQ(full.factorKind, ConversionFactorType::RationalAffine);
    EXPECT_EQ(full.getUnitProvenance(), (Texts{u"HB", u"X"}));
}

TEST(UnitRepositoryReader, FactorKindsAreWrittenByName) {
    struct Case {
        const char* kind;
        const char* factor;
        ConversionFactorType type;
    };
    for (const Case& c : {Case{"double", "2.5e-3", ConversionFactorType::Double},
                          Case{"rational", "-1,3", ConversionFactorType::Rational},
                          Case{"scaledRational", "3048,1,-4", ConversionFactorType::ScaledRational},
                          Case{"affine", "1.8,-459.67", ConversionFactorType::DoubleAffine},
                          Case{"rationalAffine", "5,9,0,1", ConversionFactorType::RationalAffine},
                          Case{"reciprocal", "1", ConversionFactorType::DoubleReciprocal}}) {
        WarningCollector warnings;
        const Model model = UnitRepositoryReader::readDocument(
            wrap(std::string("<unit name=\"u\" symbol=\"u\" definition=\"m\" factorKind=\"") +
                 c.kind + "\" factor=\"" + c.factor + "\"/>"),
            "f.xml");
        ASSERT_EQ(databaseOf(model).getUnit().size(), 1U) << c.kind;
        EXPECT_EQ(databaseOf(model).getUnit()[0].factorKind, c.type) << c.kind;
        EXPECT_TRUE(warnings.warnings().empty()) << c.kind;
    }
}

// Each entry is left out with its own diagnostic, naming the entry and its
// line, while the valid unit before it is kept.
TEST(UnitRepositoryReader, LeavesOutMalformedEntriesAndNamesThem) {
    // A unit "a" of metres with more attributes, or a body.
    const auto a = [](const std::string& more, const std::string& body = "") {
        return R"(<unit name="a" symbol="a" definition="m" )" + more + ">" + body + "</unit>";
    };
    struct Group {
        std::string key;
        std::u16string named;
        std::vector<std::pair<std::string, std::string>> entriesAndWhy;
    };
    const Group groups[] = {
        {"InvalidUnitIgnored",
         u"a",
         {{R"(<unit name="a" definition="m"/>)", "'symbol'"},
          {R"(<unit symbol="a" definition="m"/>)", "'name'"},
          {R"(<unit name="a" symbol="" definition="m"/>)", "'symbol'"},
          {R"(<unit name="a" symbol="a"/>)", "'definition'"},
          {a(R"(factorkind="rational")"), "'factorkind' is not known"},
          {a(R"(factorKind="linear")"), "'linear'"},
          {a(R"(factor="abc")"), "'abc'"},
          {a(R"(factor="0")"), "non-zero"},
          {a(R"(factor="inf")"), "'inf'"},
          {a(R"(factor="1,0" factorKind="rational")"), "'1,0'"},
          {a(R"(factor="1, 3" factorKind="rational")"), "'1, 3'"},
          {a(R"(factor="1,2" factorKind="scaledRational")"), "'1,2'"},
          {a(R"(factor="2" factorKind="affine")"), "'scaling,offset'"},
          {a(R"(factor="1,1,1,0" factorKind="rationalAffine")"), "'1,1,1,0'"},
          {a("", "text"), "cannot hold text"},
          {a("", "<source/>"), "'source'"},
          {a("", R"(<provenance id="x"/>)"), "'id' is not known"}}},
        {"InvalidPQIgnored", u"q", {{R"(<physicalQuantity name="q"/>)", "'definition'"}}},
        {"InvalidPQIgnored", u"", {{R"(<physicalQuantity definition="length"/>)", "'name'"}}},
        {"UnitDatabaseFileLoadFieldError",
         u"f.xml",
         {{R"(<provenance id="p" year="MMXX"/>)", "'MMXX'"},
          {R"(<provenance id="p"><url/></provenance>)", "empty"},
          {R"(<provenance title="t"/>)", "'id'"},
          {R"(<units/>)", "'units'"},
          {R"(stray text)", "text outside"}}},
    };
    for (const Group& g : groups) {
        for (const auto& [entry, why] : g.entriesAndWhy) {
            SCOPED_TRACE(entry);
            WarningCollector warnings;
            const Model model = UnitRepositoryReader::readDocument(
                wrap("<unit name=\"kept\" symbol=\"kept\" definition=\"m\"/>\n" + entry), "f.xml");
            const auto& db = databaseOf(model);
            ASSERT_EQ(db.getUnit().size(), 1U);
            EXPECT_EQ(db.getUnit()[0].name, u"kept");
            EXPECT_TRUE(db.getPhysicalquantity().empty());
            EXPECT_TRUE(db.getUnitProvenance().empty());
            const std::vector<Item> items = itemsOf(warnings);
            ASSERT_EQ(items.size(), 1U);
            EXPECT_EQ(items[0].key, g.key);
            EXPECT_EQ(items[0].firstArg, g.named);
            EXPECT_NE(items[0].extraText.find("Line 4: "), std::string::npos) << items[0].extraText;
            EXPECT_NE(items[0].extraText.find(why), std::string::npos) << items[0].extraText;
        }
    }
}

std::string openErrorOf(const std::string& text) {
    try {
        UnitRepositoryReader::readDocument(text, "bad.xml");
    } catch (const IUserException& e) {
        const DiagnosticItem& item = e.getDiagnostic().items().at(0);
        EXPECT_EQ(item.id.getKey(), "UnitDatabaseFileOpenError");
        EXPECT_EQ(boost::get<std::u16string>(item.id.getArgs().at(0)), u"bad.xml");
        return item.extraText;
    }
    return "no error";
}

TEST(UnitRepositoryReader, RefusesFilesThatAreNotUnitDatabases) {
    struct Case {
        std::string text;
        std::string why;
    };
    for (const Case& c : {Case{"", "not well-formed"}, Case{"units: m, s", "not well-formed"},
                          Case{"<unitDatabase>\n<unit name='a'", "Line 2"},
                          Case{"<unitDatabase></unitdatabase>", "not well-formed"},
                          Case{std::string("\x00\xff\xfe<", 4), "not well-formed"},
                          Case{"<units/>", "'units', not 'unitDatabase'"}}) {
        EXPECT_NE(openErrorOf(c.text).find(c.why), std::string::npos) << c.text;
    }
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kValid = wrap(R"(<unit name="u" symbol="u" definition="m"/>)");

TEST(UnitRepositoryReader, ReadsFilesAndPackages) {
    TemporaryFile plain;
    writeFile(plain.getFileName(), kValid);
    EXPECT_EQ(databaseOf(UnitRepositoryReader::readFile(plain.getFileName())).getUnit().size(), 1U);

    TemporaryFile package;
    ZipPackageWriter::write(
        package.getFileName(),
        {{std::string(UnitRepositoryReader::packagePartName), "application/xml", kValid}});
    EXPECT_EQ(databaseOf(UnitRepositoryReader::readFile(package.getFileName())).getUnit().size(),
              1U);
}

std::string fileErrorOf(const std::string& path) {
    try {
        UnitRepositoryReader::readFile(path);
    } catch (const IUserException& e) {
        EXPECT_EQ(e.getMessageIdentifier(), "CorvaneTypes:Unit:UnitDatabaseFileOpenError");
        return e.getDiagnostic().items().at(0).extraText;
    }
    return "no error";
}

TEST(UnitRepositoryReader, RefusesMissingFilesAndPackagesWithoutTheDocument) {
    EXPECT_NE(fileErrorOf("/nonexistent/dir/units.xml").find("no such file"), std::string::npos);
    EXPECT_NE(fileErrorOf("/tmp").find("no such file"), std::string::npos);

    TemporaryFile package;
    ZipPackageWriter::write(package.getFileName(), {{"/other.xml", "application/xml", kValid}});
    EXPECT_NE(fileErrorOf(package.getFileName()).find("no part /units.xml"), std::string::npos);

    TemporaryFile broken;
    writeFile(broken.getFileName(), std::string("PK\x03\x04") + " not really a zip");
    EXPECT_NE(fileErrorOf(broken.getFileName()).find("cannot open package"), std::string::npos);
}

// A file or packaged document past the limit is refused before it is read: a
// package of some kilobytes may inflate to gigabytes.
TEST(UnitRepositoryReader, RefusesDocumentsPastTheSizeLimit) {
    TemporaryFile large;
    writeFile(large.getFileName(), kValid);
    std::filesystem::resize_file(large.getFileName(), UnitRepositoryReader::maxDocumentBytes + 1);
    EXPECT_NE(fileErrorOf(large.getFileName()).find("larger than 64 MB"), std::string::npos);

    TemporaryFile bomb;
    std::string document = kValid;
    document.resize(ZipPackage::maxPartBytes + 1, ' ');
    ZipPackageWriter::write(bomb.getFileName(),
                            {{std::string(UnitRepositoryReader::packagePartName), "application/xml",
                              std::move(document)}});
    ASSERT_LT(std::filesystem::file_size(bomb.getFileName()), 1U << 20);
    EXPECT_NE(fileErrorOf(bomb.getFileName()).find("inflates to more than 64 MB"),
              std::string::npos);
}

} // namespace
