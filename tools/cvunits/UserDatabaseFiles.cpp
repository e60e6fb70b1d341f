#include "UserDatabaseFiles.hpp"

#include "units/cv_units.hpp"

#include <ostream>

namespace cvunits {

bool registerUserDatabaseFiles(const std::vector<std::string>& files, std::ostream& err) {
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
