#include "UserDatabaseFiles.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepositoryReader.hpp"

#include <filesystem>
#include <ostream>

namespace cvunits {

bool registerUserDatabaseFiles(const std::vector<std::string>& files, std::ostream& err) {
    for (const std::string& file : files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) {
            err << "error: there is no unit database file '" << file << "'\n";
            return false;
        }
        // The same file given twice, under two spellings, is one database.
        const std::string path = std::filesystem::absolute(file).lexically_normal().string();
        CvUnitSys::registerInternalUnitDatabase(
            CvUnitSys::TextServices::fromUtf8(path),
            CvUnitSys::UnitRepositoryReader::makeFileLoader(path));
    }
    return true;
}

} // namespace cvunits
