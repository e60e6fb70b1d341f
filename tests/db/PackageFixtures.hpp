#pragma once

#include "units/db/UnitDatabase.hpp"
#include "units/platform/Diagnostic.hpp"
#include "units/platform/SqlConnection.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/WarningSink.hpp"
#include "units/platform/ZipPackageWriter.hpp"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace db_test {

using namespace CvUnitSys;

inline const std::string kDataPartType = "application/vnd.tarvel.hexlan.data-export";

// A small database in the layout of the built-in one: two systems, one
// provenance, kilo and milli (with an alias), metre and gram taking both,
// foot taking none, aliases "meter" and "klick" (a kilometre), a relation
// between frequency and angular velocity.
inline const char* const kSmallDatabase = R"sql(
CREATE TABLE unitdb_metadata (Name TEXT, Value TEXT);
INSERT INTO unitdb_metadata VALUES ('Version', '2.5');
CREATE TABLE unit_systems (Id INTEGER PRIMARY KEY, Name TEXT);
INSERT INTO unit_systems VALUES (1, 'SI'), (2, 'English');
CREATE TABLE unit_system_groups (Id INTEGER PRIMARY KEY);
INSERT INTO unit_system_groups VALUES (1), (2);
CREATE TABLE unit_system_groups_to_unit_systems (unit_system_groups_id INTEGER, unit_systems_id INTEGER);
INSERT INTO unit_system_groups_to_unit_systems VALUES (1, 1), (2, 2);
CREATE TABLE provenances (Id INTEGER PRIMARY KEY, Name TEXT, Title TEXT, Subtitle TEXT,
    Organization TEXT, OrganizationFullName TEXT, Year INTEGER, URLs TEXT, Edition TEXT);
INSERT INTO provenances VALUES (1, 'SI_Brochure', 'The SI', 'Brochure', 'BIPM', 'Bureau', 2019,
    ' https://a.example , https://b.example', '9th');
CREATE TABLE provenance_groups_to_provenances (provenance_groups_id INTEGER, provenances_id INTEGER);
INSERT INTO provenance_groups_to_provenances VALUES (1, 1);
CREATE TABLE conversion_factors (Id INTEGER PRIMARY KEY, FactorType INTEGER, ConversionFactorStr TEXT);
INSERT INTO conversion_factors VALUES (1, 3, '1,1,0'), (2, 3, '3048,1,-4'), (3, 3, '1,1,-3'),
    (10001, 3, '1,1,3'), (10002, 3, '1,1,-3'), (20001, 1, '6.283185307179586');
CREATE TABLE physical_quantities (Id INTEGER PRIMARY KEY, Name TEXT, Expression TEXT,
    ProvenanceGroup INTEGER);
INSERT INTO physical_quantities VALUES (1, 'length', 'length', 1), (2, 'mass', 'mass', 1),
    (3, 'frequency', '1/time', 1), (4, 'angular_velocity', 'angle/time', 1);
CREATE TABLE physical_quantity_relations (Id INTEGER PRIMARY KEY, PhysicalQuantityA INTEGER,
    PhysicalQuantityB INTEGER, ConversionFactor INTEGER);
INSERT INTO physical_quantity_relations VALUES (1, 3, 4, 20001);
CREATE TABLE unit_prefixes (Id INTEGER PRIMARY KEY, Name TEXT, Symbol TEXT, AsciiSymbol TEXT,
    Display TEXT, UnitSystemGroup INTEGER, ProvenanceGroup INTEGER, ConversionFactor INTEGER);
INSERT INTO unit_prefixes VALUES (1, 'kilo', 'k', 'k', 'k', 1, 1, 10001),
    (2, 'milli', 'm', 'm', 'm', 1, 1, 10002);
CREATE TABLE prefix_aliases (Id INTEGER PRIMARY KEY, Name TEXT, Symbol TEXT, AsciiSymbol TEXT,
    Display TEXT, UnitPrefix INTEGER, UnitSystemGroup INTEGER, ProvenanceGroup INTEGER);
INSERT INTO prefix_aliases VALUES (1, '', 'K', 'K', '', 1, 1, 1);
CREATE TABLE prefix_groups (Id INTEGER PRIMARY KEY);
INSERT INTO prefix_groups VALUES (1), (2);
CREATE TABLE prefix_groups_to_prefixes (prefix_groups_id INTEGER, unit_prefixes_id INTEGER);
INSERT INTO prefix_groups_to_prefixes VALUES (1, 1), (1, 2);
CREATE TABLE units (Id INTEGER PRIMARY KEY, Name TEXT, Symbol TEXT, AsciiSymbol TEXT,
    Expression TEXT, Display TEXT, PhysicalQuantity INTEGER, SubUnit TEXT,
    UnitSystemGroup INTEGER, PrefixGroup INTEGER, ProvenanceGroup INTEGER,
    ConversionFactor INTEGER);
INSERT INTO units VALUES (1, 'metre', 'm', 'm', 'm', 'm', 1, '', 1, 1, 1, 1),
    (2, 'foot', 'ft', 'ft', 'm', 'ft', 1, '', 2, NULL, NULL, 2),
    (3, 'gram', 'g', 'g', 'kg', 'g', 2, '', 1, 1, 1, 3);
CREATE TABLE unit_aliases (Id INTEGER PRIMARY KEY, Name TEXT, Symbol TEXT, AsciiSymbol TEXT,
    Display TEXT, RefUnit INTEGER, RefPrefix INTEGER, UnitSystemGroup INTEGER,
    ProvenanceGroup INTEGER);
INSERT INTO unit_aliases VALUES (1, 'meter', NULL, NULL, NULL, 1, NULL, 1, 1),
    (2, 'klick', 'klick', 'klick', 'klick', 1, 1, 1, 1);
CREATE TABLE unit_expr_to_physical_quantity (Id INTEGER PRIMARY KEY, unitexpr TEXT,
    PhysicalQuantity INTEGER);
INSERT INTO unit_expr_to_physical_quantity VALUES (1, '1/s', 3);
)sql";

inline std::string sqliteBytes(const std::string& script) {
    TemporaryFile file;
    {
        SqlConnection db(file.getFileName(), SqlConnection::Mode::Create);
        // One transaction: committing each statement would sync the file each time.
        db.execute("BEGIN;" + script + "COMMIT;");
    }
    return ZipPackageWriter::readFile(file.getFileName());
}

// A private folder for the test's packages, and another set as the process's
// temporary folder, so that a copy the loader forgets is seen even while other
// processes use the system's temporary folder.
class PackageFolder {
public:
    PackageFolder() {
        root_ = std::filesystem::temp_directory_path() /
                ("cv_units-loader-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_ / "tmp");
        ::setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
    }
    ~PackageFolder() {
        ::unsetenv("TMPDIR");
        std::filesystem::remove_all(root_);
    }
    PackageFolder(const PackageFolder&) = delete;
    PackageFolder& operator=(const PackageFolder&) = delete;

    std::string path(const std::string& name) const { return (root_ / name).string(); }
    std::string writePackage(const std::string& name,
                             const std::vector<ZipPackageWriter::Part>& parts) const {
        ZipPackageWriter::write(path(name), parts);
        return path(name);
    }
    std::string writeDatabase(const std::string& name, const std::string& script) const {
        return writePackage(name, {{"/ud_part", kDataPartType, sqliteBytes(script)}});
    }
    bool temporaryFolderIsEmpty() const { return std::filesystem::is_empty(root_ / "tmp"); }

private:
    std::filesystem::path root_;
};

inline std::string argText(const MsgArg& arg, const std::string& path) {
    if (const auto* i = boost::get<std::int64_t>(&arg)) {
        return std::to_string(*i);
    }
    const std::string text = TextServices::toUtf8(boost::get<ustring>(arg));
    return text == path ? "<path>" : text;
}

inline void renderItems(const Diagnostic& d, const std::string& path, const std::string& indent,
                        std::vector<std::string>& out) {
    for (const DiagnosticItem& item : d.items()) {
        std::string line = indent + item.id.getKey() + "(";
        for (std::size_t i = 0; i < item.id.getArgs().size(); ++i) {
            line += (i ? ", " : "") + argText(item.id.getArgs()[i], path);
        }
        out.push_back(line + ")");
        for (const Diagnostic& cause : item.causes) {
            renderItems(cause, path, indent + "  ", out);
        }
    }
}

// Every collected warning, one line per item, causes indented under their
// item, the package path shown as <path>.
inline std::vector<std::string> renderWarnings(const WarningCollector& collector,
                                               const std::string& path) {
    std::vector<std::string> out;
    for (const Diagnostic& d : collector.warnings()) {
        renderItems(d, path, "", out);
    }
    return out;
}

} // namespace db_test
