// The user-database reader and registration: a document read, loaded,
// validated and checked for duplicates, as when the host registers a file.
// Beyond not crashing: reading and registering throw only the library's
// exception type (a load ends at an unknown quantity or a clash and hands the
// error on), and the units the database kept register in a table and compare
// and convert to themselves, throwing nothing foreign.
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/UnitRepositoryReader.hpp"
#include "units/platform/WarningSink.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdlib>
#include <string_view>

using namespace CvUnitSys;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool builtinLoaded = (UnitDatabase::getUnitDatabase(), true);
    (void)builtinLoaded;
    const WarningCollector quiet;
    Model model;
    try {
        model = UnitRepositoryReader::readDocument(
            std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    } catch (const IUserException&) {
        return 0;
    }
    try {
        registerInternalUnitDatabase(u"fuzz.xml", [model] { return model; });
    } catch (const IUserException&) {
        // What was stored before the fault stays listed, and is checked below.
    }
    {
        UnitTable table;
        const UnitDBSet& set = table.getUnitDBSetForQuery();
        const UnitDatabase* db = set.getDB(u"fuzz.xml");
        if (db == nullptr) {
            std::abort();
        }
        std::size_t asked = 0;
        for (const UnitBase& unit : db->getAllUnits()) {
            if (++asked > 64) {
                break;
            }
            const ustring name = set.getQualifiedSymbolForCustomUnit(unit);
            try {
                const std::int32_t id = table.registerUnit(name, false, false);
                (void)table.equivalentUnits(id, id);
                (void)table.getConversionInfo(id, id);
            } catch (const IUserException&) {
                // A kept unit may still be refused as a table text (its symbol
                // is not an expression), but never by a foreign exception.
            }
        }
    }
    removeInternalUnitDatabase(u"fuzz.xml");
    return 0;
}
