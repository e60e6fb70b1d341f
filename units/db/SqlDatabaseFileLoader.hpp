#pragma once

#include "units/foundation/UString.hpp"
#include "units/platform/Diagnostic.hpp"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace CvUnitSys {

class SqlConnection;
class SqlStatement;
class UnitDatabase;

// Fills a unit database from a database file: a zip package whose part
// "/ud_part" is an SQLite database. The tables are read in a fixed order, each
// row on its own, so a bad row costs only itself. Every problem ends up in one
// warning reported at the end; loading never throws.
class SqlDatabaseFileLoader {
public:
    SqlDatabaseFileLoader(UnitDatabase& database, const ustring& path);

    void load();

private:
    void readTables(const SqlConnection& sql);
    void readVersion(const SqlConnection& sql);
    void readUnitSystems(const SqlConnection& sql);
    void readProvenances(const SqlConnection& sql);
    void readPhysicalQuantities(const SqlConnection& sql);
    void readPhysicalQuantityRelations(const SqlConnection& sql);
    void readPrefixes(const SqlConnection& sql);
    void readPrefixAliases(const SqlConnection& sql);
    void readUnits(const SqlConnection& sql);
    void readUnitAliases(const SqlConnection& sql);
    void readMappings(const SqlConnection& sql);
    void reportDanglingReferences(const SqlConnection& sql);

    // Runs one step: the rows that fail and a query that fails are gathered
    // as causes of one UnitDatabaseFileLoadFieldError for `section`.
    template <typename Body> void runStep(std::u16string_view section, Body&& body);
    // A row whose reference names an entity that did not load.
    void reportMissing(std::u16string_view section, std::string_view key, const ustring& name);
    // A UnitDatabaseFileLoadFieldError for `section` with its cause.
    void reportRow(std::u16string_view section, Diagnostic cause);
    void reportOpenError(const std::string& extraText);
    void add(Diagnostic& to, Diagnostic d) const;

    UnitDatabase& database_;
    ustring path_;
    Diagnostic problems_;
    // Rows each table gave the step that reads it, to tell whether its joins dropped any.
    std::map<std::string_view, std::int64_t> rowsRead_;
};

} // namespace CvUnitSys
