// The SQL loader of the built-in database format on mutated packages: the
// input is either a whole package or the SQLite part that a package wraps.
// Beyond not crashing: loading never throws, whatever the bytes.
#include "units/db/DatabaseSource.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/WarningSink.hpp"
#include "units/platform/ZipPackageWriter.hpp"

#include <fstream>
#include <string>

using namespace CvUnitSys;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const TemporaryFile file;
    if (data[0] % 2 == 0) {
        std::ofstream(file.getFileName(), std::ios::binary | std::ios::trunc) << bytes;
    } else {
        ZipPackageWriter::write(file.getFileName(),
                                {{"/ud_part", "application/vnd.sqlite3", bytes}});
    }
    const WarningCollector quiet;
    const ustring path = TextServices::fromUtf8(file.getFileName());
    const auto database = UnitDatabase::createNewDatabase(path, DatabaseSource::Builtin);
    database->loadUnitDatabase(path);
    (void)database->getAllPossibleUnitsInDatabase().size();
    return 0;
}
