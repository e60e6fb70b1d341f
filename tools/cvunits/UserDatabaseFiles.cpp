#include "UserDatabaseFiles.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <filesystem>
#include <ostream>

namespace cvunits {

namespace {

using namespace CvUnitSys;

// The library ends a load at a fault it cannot skip (an invalid unit-system
// name, a unit of an unknown quantity, a clash) and hands it to the host.
// Someone checking a file wants every bad entry named, so the tool's loads
// report each such fault as a warning and go on with the next entry.
void loadNamingEveryFault(UnitDatabase& db) {
    db.loadFromModel(UnitDBManager::m_UnitDBManager.getDBExtracter(db.getName())(),
                     [](const IException& e) {
                         cvsvReportAsWarning(cvsvCreateDiagnosticFromIException(e, true));
                     });
}

} // namespace

bool registerUserDatabaseFiles(const std::vector<std::string>& files, std::ostream& err) {
    UnitDatabase::setFileLoader(loadNamingEveryFault);
    for (const std::string& file : files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) {
            err << "error: there is no unit database file '" << file << "'\n";
            return false;
        }
        // The same file given twice, under two spellings, is one database.
        const std::string path = std::filesystem::absolute(file).lexically_normal().string();
        registerInternalUnitDatabase(TextServices::fromUtf8(path),
                                     UnitRepositoryReader::makeFileLoader(path));
    }
    return true;
}

} // namespace cvunits
