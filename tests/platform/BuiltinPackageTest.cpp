#include "units/platform/FileSystem.hpp"
#include "units/platform/PackageError.hpp"
#include "units/platform/PackagePartCopy.hpp"
#include "units/platform/SqlConnection.hpp"
#include "units/platform/SqlStatement.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/ZipPackage.hpp"
#include "units/platform/ZipPackageWriter.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace CvUnitSys;

namespace {

// The package the build makes from data/builtin is found where the library
// looks for it and opens through the same services the loader uses.
TEST(BuiltinPackage, OpensAtTheInstallPathAndHoldsTheUnits) {
    const std::string path = FileSystem::getInstallPath() + "/toolbox/corvane/cv_units/ud";
    ASSERT_TRUE(FileSystem::exists(path)) << path;
    ZipPackage package(path);
    ASSERT_TRUE(package.hasPart("/ud_part"));
    TemporaryFile copy;
    package.copyPartToFile("/ud_part", copy.getFileName());
    SqlConnection db(copy.getFileName(), SqlConnection::Mode::ReadOnly);

    SqlStatement version(db, "SELECT Value FROM unitdb_metadata WHERE Name='Version'");
    ASSERT_TRUE(version.fetchRow());
    EXPECT_FALSE(version.getText(0).empty());

    SqlStatement units(db, "SELECT a.Symbol, c.FactorType, c.ConversionFactorStr FROM units a "
                           "INNER JOIN conversion_factors c ON a.ConversionFactor = c.Id "
                           "ORDER BY a.Id");
    int count = 0;
    bool footIsExact = false;
    while (units.fetchRow()) {
        ++count;
        if (units.getText(0) == u"ft") {
            footIsExact = units.getInt(1) == 3 && units.getText(2) == u"3048,1,-4";
        }
    }
    EXPECT_GE(count, 400);
    EXPECT_TRUE(footIsExact);
}

// The part is stored uncompressed, which the loader's reader copies on a path
// of its own: the same bytes as libzip gives, and a changed byte is refused.
TEST(BuiltinPackage, StoredPartCopiesAsLibzipReadsItAndFailsItsCrcWhenChanged) {
    const std::string path = FileSystem::getInstallPath() + "/toolbox/corvane/cv_units/ud";
    TemporaryFile viaMinizip;
    TemporaryFile viaLibzip;
    copyPackagePartToFile(path, "/ud_part", viaMinizip.getFileName());
    ZipPackage(path).copyPartToFile("/ud_part", viaLibzip.getFileName());
    EXPECT_EQ(ZipPackageWriter::readFile(viaMinizip.getFileName()),
              ZipPackageWriter::readFile(viaLibzip.getFileName()));

    std::string bytes = ZipPackageWriter::readFile(path);
    bytes[bytes.size() / 2] ^= 1;
    TemporaryFile damaged;
    std::ofstream(damaged.getFileName(), std::ios::binary) << bytes;
    EXPECT_THROW(copyPackagePartToFile(damaged.getFileName(), "/ud_part", viaMinizip.getFileName()),
                 PackageError);
    EXPECT_THROW(
        ZipPackage(damaged.getFileName()).copyPartToFile("/ud_part", viaLibzip.getFileName()),
        PackageError);
}

} // namespace
