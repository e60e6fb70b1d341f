#include "units/platform/FileSystem.hpp"
#include "units/platform/PackageError.hpp"
#include "units/platform/PackagePartCopy.hpp"
#include "units/platform/SqlConnection.hpp"
#include "units/platform/SqlError.hpp"
#include "units/platform/SqlStatement.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/ZipPackage.hpp"
#include "units/platform/ZipPackageWriter.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <latch>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace CvUnitSys;

namespace {

const std::string kPart = "/ud_part";
const std::string kType = "application/vnd.tarvel.hexlan.data-export";

std::string sqliteBytes(const std::string& script) {
    TemporaryFile db;
    {
        SqlConnection c(db.getFileName(), SqlConnection::Mode::Create);
        c.execute(script);
    }
    return ZipPackageWriter::readFile(db.getFileName());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ZipPackage, RoundTripsAPartThroughATemporaryFile) {
    TemporaryFile package;
    const std::string bytes =
        sqliteBytes("CREATE TABLE units (Id INTEGER PRIMARY KEY, Name TEXT, Symbol TEXT);"
                    "INSERT INTO units VALUES (1, 'metre', 'm'), (2, NULL, '\xc2\xb5m');");
    ZipPackageWriter::write(package.getFileName(), {{kPart, kType, bytes}});

    ZipPackage zip(package.getFileName());
    EXPECT_TRUE(zip.hasPart(kPart));
    EXPECT_TRUE(zip.hasPart("/[Content_Types].xml"));
    EXPECT_FALSE(zip.hasPart("/other"));
    TemporaryFile copy;
    zip.copyPartToFile(kPart, copy.getFileName());

    SqlConnection db(copy.getFileName(), SqlConnection::Mode::ReadOnly);
    SqlStatement q(db, "SELECT Name, Symbol, Id FROM units WHERE Id >= ? ORDER BY Id");
    q.bind(0, 1);
    q.execute();
    ASSERT_TRUE(q.fetchRow());
    EXPECT_EQ(q.getText(0), u"metre");
    EXPECT_EQ(q.getInt(2), 1);
    ASSERT_TRUE(q.fetchRow());
    EXPECT_TRUE(q.isNull(0));
    EXPECT_EQ(q.getText(0), u"");
    EXPECT_EQ(q.getText(1), u"\u00b5m");
    EXPECT_FALSE(q.fetchRow());
    q.bind(0, 2);
    q.execute();
    ASSERT_TRUE(q.fetchRow());
    EXPECT_EQ(q.getInt(2), 2) << "rebinding runs the query again";
}

TEST(ZipPackage, NamesEachPartsContentTypeAndMatchesNamesWithoutCase) {
    TemporaryFile package;
    ZipPackageWriter::write(package.getFileName(),
                            {{kPart, kType, "a"}, {"/b&c", "text/plain; x=\"1\"", "b"}});
    ZipPackage zip(package.getFileName());
    TemporaryFile types;
    zip.copyPartToFile("/[Content_Types].xml", types.getFileName());
    const std::string xml = ZipPackageWriter::readFile(types.getFileName());
    EXPECT_NE(xml.find("<Override PartName=\"/ud_part\" ContentType=\"" + kType + "\"/>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("PartName=\"/b&amp;c\" ContentType=\"text/plain; x=&quot;1&quot;\""),
              std::string::npos)
        << xml;

    EXPECT_TRUE(zip.hasPart("/UD_Part"));
    TemporaryFile copy;
    zip.copyPartToFile("/UD_PART", copy.getFileName());
    EXPECT_EQ(ZipPackageWriter::readFile(copy.getFileName()), "a");
}

TEST(ZipPackageWriter, RejectsPartNamesThatAreNotOpcPartNames) {
    TemporaryFile package;
    const std::vector<std::vector<ZipPackageWriter::Part>> invalid = {
        {{"ud_part", kType, "x"}},
        {{"/", kType, "x"}},
        {{"/dir/", kType, "x"}},
        {{kPart, kType, "x"}, {kPart, kType, "y"}},
        {{"/[Content_Types].xml", "application/xml", "x"}},
    };
    for (const auto& parts : invalid) {
        EXPECT_THROW(ZipPackageWriter::write(package.getFileName(), parts), PackageError)
            << parts.back().name;
    }
}

// The built-in database's reader and the package service take the same parts
// and refuse the same packages.
TEST(PackagePartCopy, CopiesWhatZipPackageCopiesAndRefusesTheSame) {
    TemporaryFile package;
    ZipPackageWriter::write(package.getFileName(), {{kPart, kType, "abc"}});
    TemporaryFile notZip;
    writeText(notZip.getFileName(), std::string("PK\x03\x04") + " not really a zip");
    TemporaryFile bomb;
    ZipPackageWriter::write(bomb.getFileName(),
                            {{kPart, kType, std::string(ZipPackage::maxPartBytes + 1, ' ')}});
    struct Case {
        std::string package;
        std::string part;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {package.getFileName(), "/UD_Part", "abc"},
        {package.getFileName(), "/other", std::nullopt},
        {notZip.getFileName(), kPart, std::nullopt},
        {"/nonexistent/cv_units/ud", kPart, std::nullopt},
        {bomb.getFileName(), kPart, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.package + " " + c.part);
        TemporaryFile viaMinizip;
        TemporaryFile viaLibzip;
        if (c.bytes) {
            copyPackagePartToFile(c.package, c.part, viaMinizip.getFileName());
            ZipPackage(c.package).copyPartToFile(c.part, viaLibzip.getFileName());
            EXPECT_EQ(ZipPackageWriter::readFile(viaMinizip.getFileName()), *c.bytes);
            EXPECT_EQ(ZipPackageWriter::readFile(viaLibzip.getFileName()), *c.bytes);
            // Over a longer file, the copy is the part alone.
            writeText(viaMinizip.getFileName(), std::string(16, 'x'));
            copyPackagePartToFile(c.package, c.part, viaMinizip.getFileName());
            EXPECT_EQ(ZipPackageWriter::readFile(viaMinizip.getFileName()), *c.bytes);
        } else {
            EXPECT_THROW(copyPackagePartToFile(c.package, c.part, viaMinizip.getFileName()),
                         PackageError);
            EXPECT_THROW(ZipPackage(c.package).copyPartToFile(c.part, viaLibzip.getFileName()),
                         PackageError);
            EXPECT_EQ(std::filesystem::file_size(viaMinizip.getFileName()), 0U);
        }
    }
}

TEST(SqlStatement, MissingTablesColumnsAndReadsOutsideTheRowAreSqlErrors) {
    TemporaryFile db;
    SqlConnection c(db.getFileName(), SqlConnection::Mode::Create);
    c.execute("CREATE TABLE t (Id INTEGER); INSERT INTO t VALUES (7)");
    for (const char* sql : {"SELECT Name FROM prefixes", "SELECT Symbol FROM t", "SELEKT 1"}) {
        EXPECT_THROW(SqlStatement(c, sql), SqlError) << sql;
    }
    EXPECT_THROW(SqlConnection("/nonexistent/x.sqlite", SqlConnection::Mode::ReadOnly), SqlError);

    SqlStatement q(c, "SELECT Id FROM t");
    EXPECT_THROW(q.getInt(0), SqlError) << "before the first fetch";
    ASSERT_TRUE(q.fetchRow());
    EXPECT_EQ(q.getInt(0), 7);
    for (int column : {-1, 1}) {
        EXPECT_THROW(q.getInt(column), SqlError) << column;
        EXPECT_THROW(q.getText(column), SqlError) << column;
        EXPECT_THROW(q.isNull(column), SqlError) << column;
    }
    EXPECT_FALSE(q.fetchRow());
    EXPECT_THROW(q.getText(0), SqlError) << "after the last row";
    EXPECT_THROW(q.bind(0, 1), SqlError) << "the query has no parameter";
}

TEST(TemporaryFile, IsUniqueAndRemovedEvenOnExceptions) {
    std::string kept;
    {
        TemporaryFile f;
        kept = f.getFileName();
        writeText(kept, "data");
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
    try {
        TemporaryFile f;
        kept = f.getFileName();
        EXPECT_TRUE(std::filesystem::exists(kept));
        throw std::runtime_error("load failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(std::filesystem::exists(kept));

    // All guards live at once, so a name freed by one cannot be handed out again.
    std::vector<std::string> names(8);
    std::latch allCreated(static_cast<std::ptrdiff_t>(names.size()));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < names.size(); ++i) {
        threads.emplace_back([&names, &allCreated, i] {
            TemporaryFile f;
            names[i] = f.getFileName();
            allCreated.arrive_and_wait();
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
}

TEST(FileSystem, PathServices) {
    EXPECT_EQ(FileSystem::fileStem(u"dir/a.b.c"), u"a.b");
    EXPECT_EQ(FileSystem::fileStem(u"/x/units.xml"), u"units");
    EXPECT_EQ(FileSystem::fileStem(u"plain"), u"plain");
    EXPECT_EQ(FileSystem::nativePath("/a/./b/../c"), "/a/c");
    EXPECT_FALSE(FileSystem::exists("/nonexistent/file"));

    // The setter wins over the environment, which wins over the library's place.
    const char* given = std::getenv("CV_UNITS_ROOT");
    const std::optional<std::string> outside =
        given != nullptr ? std::optional<std::string>(given) : std::nullopt;
    ASSERT_EQ(unsetenv("CV_UNITS_ROOT"), 0);
    const std::string fromLibrary = FileSystem::getInstallPath();
    ASSERT_EQ(setenv("CV_UNITS_ROOT", "/srv/units", 1), 0);
    EXPECT_EQ(FileSystem::getInstallPath(), "/srv/units");
    FileSystem::setInstallPath("/opt/cv");
    EXPECT_EQ(FileSystem::getInstallPath(), "/opt/cv");
    FileSystem::setInstallPath(std::nullopt);
    EXPECT_EQ(FileSystem::getInstallPath(), "/srv/units");
    ASSERT_EQ(unsetenv("CV_UNITS_ROOT"), 0);
    EXPECT_EQ(FileSystem::getInstallPath(), fromLibrary);
    if (outside) {
        setenv("CV_UNITS_ROOT", outside->c_str(), 1);
    }
    EXPECT_TRUE(FileSystem::exists(fromLibrary + "/lib"))
        << "the library sits in <install>/lib: " << fromLibrary;
}

} // namespace
