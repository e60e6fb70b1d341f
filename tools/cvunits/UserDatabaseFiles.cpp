#include "UserDatabaseFiles.hpp"

#include "units/cv_units.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/DiagnosticService.hpp"

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
        try {
            cv_units::addDatabase(file);
        } catch (const cv_units::UnitError& e) {
            err << "error: " << e.what() << '\n';
            return false;
        }
    }
    return true;
}

} // namespace cvunits
