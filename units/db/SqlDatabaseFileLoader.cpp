#include "units/db/SqlDatabaseFileLoader.hpp"

#include "units/db/StoredFactorReader.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/model/UnitModelLookup.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/FileSystem.hpp"
#include "units/platform/PackageError.hpp"
#include "units/platform/PackagePartCopy.hpp"
#include "units/platform/SqlConnection.hpp"
#include "units/platform/SqlError.hpp"
#include "units/platform/SqlStatement.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/TextServices.hpp"

#include <cstdlib>
#include <cxxabi.h>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <typeinfo>
#include <unordered_map>
#include <vector>

namespace CvUnitSys {

namespace {

constexpr const char* kPartName = "/ud_part";

constexpr const char* kVersionQuery = "SELECT Value FROM unitdb_metadata WHERE Name='Version'";
constexpr const char* kUnitSystemsQuery = "SELECT Name FROM unit_systems ORDER BY Id";
constexpr const char* kProvenancesQuery =
    "SELECT Name, Title, Subtitle, Organization, OrganizationFullName, Year, URLs, Edition FROM "
    "provenances ORDER BY Id";
constexpr const char* kPhysicalQuantitiesQuery =
    "SELECT Name, Expression FROM physical_quantities ORDER BY Id";
constexpr const char* kRelationsQuery =
    "SELECT a.Name, b.Name, c.FactorType, c.ConversionFactorStr FROM physical_quantity_relations "
    "r INNER JOIN physical_quantities a ON a.Id = r.PhysicalQuantityA INNER JOIN "
    "physical_quantities b ON b.Id = r.PhysicalQuantityB INNER JOIN conversion_factors c ON c.Id "
    "= r.ConversionFactor ORDER BY r.Id";
constexpr const char* kPrefixesQuery =
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Display, a.UnitSystemGroup, a.ProvenanceGroup, "
    "b.FactorType, b.ConversionFactorStr FROM unit_prefixes a INNER JOIN conversion_factors b ON "
    "a.ConversionFactor=b.Id ORDER BY a.Id";
constexpr const char* kPrefixSystemsQuery =
    "SELECT b.Name FROM unit_system_groups_to_unit_systems a INNER JOIN unit_systems b ON b.Id = "
    "a.unit_systems_id WHERE a.unit_system_groups_id = ?";
constexpr const char* kPrefixProvenancesQuery =
    "SELECT b.Name FROM provenance_groups_to_provenances a INNER JOIN provenances b ON b.Id = "
    "a.provenances_id WHERE a.provenance_groups_id = ?";
constexpr const char* kPrefixAliasesQuery =
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Display, b.Name AS UnitPrefix, a.UnitSystemGroup, "
    "a.ProvenanceGroup FROM prefix_aliases a INNER JOIN unit_prefixes b ON b.Id = a.UnitPrefix "
    "ORDER BY a.Id";
constexpr const char* kPrefixAliasSystemsQuery =
    "SELECT a.Name FROM unit_systems a INNER JOIN unit_system_groups_to_unit_systems b ON "
    "b.unit_systems_id = a.Id WHERE b.unit_system_groups_id = ?";
constexpr const char* kPrefixAliasProvenancesQuery =
    "SELECT a.Name FROM provenances a INNER JOIN provenance_groups_to_provenances b ON a.Id = "
    "b.provenances_id WHERE b.provenance_groups_id = ?";
constexpr const char* kUnitsQuery =
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Expression, a.Display, b.Name, a.SubUnit, "
    "a.UnitSystemGroup, a.PrefixGroup, c.FactorType, c.ConversionFactorStr FROM units a INNER "
    "JOIN physical_quantities b ON a.PhysicalQuantity = b.Id INNER JOIN conversion_factors c ON "
    "a.ConversionFactor = c.Id ORDER BY a.Id";
constexpr const char* kUnitSystemsOfGroupQuery =
    "SELECT unit_systems.Name FROM unit_system_groups INNER JOIN "
    "unit_system_groups_to_unit_systems ON unit_system_groups.Id = "
    "unit_system_groups_to_unit_systems.unit_system_groups_id INNER JOIN unit_systems ON "
    "unit_systems.Id = unit_system_groups_to_unit_systems.unit_systems_id WHERE "
    "unit_system_groups.Id = ?";
constexpr const char* kPrefixesOfGroupQuery =
    "SELECT unit_prefixes.Name FROM prefix_groups INNER JOIN prefix_groups_to_prefixes ON "
    "prefix_groups.Id = prefix_groups_to_prefixes.prefix_groups_id INNER JOIN unit_prefixes ON "
    "unit_prefixes.Id = prefix_groups_to_prefixes.unit_prefixes_id WHERE prefix_groups.Id = ?";
constexpr const char* kUnitAliasesQuery =
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, IFNULL(c.Symbol, '') || b.Symbol, a.Display, "
    "a.UnitSystemGroup FROM unit_aliases a INNER JOIN units b ON a.RefUnit=b.Id LEFT OUTER JOIN "
    "unit_prefixes c ON a.RefPrefix=c.Id ORDER BY a.Id";

struct Mapping {
    const char* query;
    void (UnitDatabase::*add)(const ustring&, const ustring&);
    std::u16string_view section;
};

const Mapping kMappings[] = {
    {"SELECT a.Symbol, c.Name FROM units a INNER JOIN provenance_groups_to_provenances b ON "
     "a.ProvenanceGroup = b.provenance_groups_id INNER JOIN provenances c ON c.Id = "
     "b.provenances_id",
     &UnitDatabase::addUnitProvenanceMapping, u"Unit Provenance Mapping"},
    {"SELECT COALESCE(c.Symbol, c.AsciiSymbol, c.Name) AS AliasName, a.Name AS ProvenanceName "
     "FROM provenances a INNER JOIN provenance_groups_to_provenances b ON a.Id = "
     "b.provenances_id INNER JOIN unit_aliases c ON c.ProvenanceGroup = b.provenance_groups_id",
     &UnitDatabase::addUnitAliasProvenanceMapping, u"Unit Alias Provenance Mapping"},
    {"SELECT a.Name, c.Name FROM physical_quantities a INNER JOIN "
     "provenance_groups_to_provenances b ON a.ProvenanceGroup = b.provenance_groups_id INNER JOIN "
     "provenances c ON c.Id = b.provenances_id",
     &UnitDatabase::addPhysicalQuantityProvenanceMapping, u"Physical Quantity Provenance Mapping"},
    {"SELECT a.Symbol, b.Name FROM units a INNER JOIN physical_quantities b ON "
     "a.PhysicalQuantity = b.Id ORDER BY a.Id",
     &UnitDatabase::addUnitPhysicalQuantityMapping, u"Unit Physical Quantity Mapping"},
    {"SELECT a.Symbol, c.Name FROM unit_aliases a INNER JOIN units b ON a.RefUnit = b.Id INNER "
     "JOIN physical_quantities c ON b.PhysicalQuantity = c.Id WHERE a.AsciiSymbol IS NOT NULL "
     "ORDER BY a.Id",
     &UnitDatabase::addUnitPhysicalQuantityMapping, u"Unit Physical Quantity Mapping"},
    {"SELECT a.unitexpr, b.Name FROM unit_expr_to_physical_quantity a INNER JOIN "
     "physical_quantities b ON a.PhysicalQuantity = b.Id ORDER BY a.Id",
     &UnitDatabase::addUnitPhysicalQuantityMapping, u"Unit Physical Quantity Mapping"},
};

// The inner joins above drop rows whose references lead nowhere; these find
// them, so that a damaged file does not lose entries without a word. Each
// answers the row's name and the reference's value.
struct ReferenceCheck {
    const char* query;
    std::u16string_view section;
    std::u16string_view field;
    // The table whose step reads it through the inner join, if one does: when
    // that step saw every row of it, nothing was dropped and the check is skipped.
    std::string_view table;
};

// The tables of the checks above, counted in one statement in this order.
constexpr std::string_view kCheckedTables[] = {"physical_quantity_relations", "unit_prefixes",
                                               "prefix_aliases", "units", "unit_aliases"};
constexpr const char* kCheckedTableCounts =
    "SELECT (SELECT count(*) FROM physical_quantity_relations), (SELECT count(*) FROM "
    "unit_prefixes), (SELECT count(*) FROM prefix_aliases), (SELECT count(*) FROM units), "
    "(SELECT count(*) FROM unit_aliases)";

const ReferenceCheck kReferenceChecks[] = {
    {"SELECT r.Id, r.PhysicalQuantityA FROM physical_quantity_relations r LEFT JOIN "
     "physical_quantities a ON a.Id = r.PhysicalQuantityA WHERE a.Id IS NULL ORDER BY r.Id",
     u"physicalQuantityRelations", u"PhysicalQuantityA", "physical_quantity_relations"},
    {"SELECT r.Id, r.PhysicalQuantityB FROM physical_quantity_relations r LEFT JOIN "
     "physical_quantities b ON b.Id = r.PhysicalQuantityB WHERE b.Id IS NULL ORDER BY r.Id",
     u"physicalQuantityRelations", u"PhysicalQuantityB", "physical_quantity_relations"},
    {"SELECT r.Id, r.ConversionFactor FROM physical_quantity_relations r LEFT JOIN "
     "conversion_factors c ON c.Id = r.ConversionFactor WHERE c.Id IS NULL ORDER BY r.Id",
     u"physicalQuantityRelations", u"ConversionFactor", "physical_quantity_relations"},
    {"SELECT a.Name, a.ConversionFactor FROM unit_prefixes a LEFT JOIN conversion_factors b ON "
     "a.ConversionFactor = b.Id WHERE b.Id IS NULL ORDER BY a.Id",
     u"unitPrefixes", u"ConversionFactor", "unit_prefixes"},
    {"SELECT a.Name, a.UnitPrefix FROM prefix_aliases a LEFT JOIN unit_prefixes b ON b.Id = "
     "a.UnitPrefix WHERE b.Id IS NULL ORDER BY a.Id",
     u"unitPrefixesAliases", u"UnitPrefix", "prefix_aliases"},
    {"SELECT a.Name, a.PhysicalQuantity FROM units a LEFT JOIN physical_quantities b ON "
     "a.PhysicalQuantity = b.Id WHERE b.Id IS NULL ORDER BY a.Id",
     u"units", u"PhysicalQuantity", "units"},
    {"SELECT a.Name, a.ConversionFactor FROM units a LEFT JOIN conversion_factors c ON "
     "a.ConversionFactor = c.Id WHERE c.Id IS NULL ORDER BY a.Id",
     u"units", u"ConversionFactor", "units"},
    {"SELECT a.Name, a.RefUnit FROM unit_aliases a LEFT JOIN units b ON a.RefUnit = b.Id WHERE "
     "b.Id IS NULL ORDER BY a.Id",
     u"unitAliases", u"RefUnit", "unit_aliases"},
    // The alias was loaded for the unit without the prefix it names: an outer
    // join keeps its row, so it is always looked for.
    {"SELECT a.Name, a.RefPrefix FROM unit_aliases a LEFT JOIN unit_prefixes c ON a.RefPrefix = "
     "c.Id WHERE a.RefPrefix IS NOT NULL AND c.Id IS NULL ORDER BY a.Id",
     u"unitAliases",
     u"RefPrefix",
     {}},
};

// The text of each run that a "," ends: what follows the last "," is not a URL.
std::vector<ustring> splitUrls(const ustring& text) {
    std::vector<ustring> urls;
    std::size_t start = 0;
    for (std::size_t comma = text.find(u','); comma != ustring::npos;
         comma = text.find(u',', start)) {
        urls.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return urls;
}

// The names in a group, read once per group: most rows of a table share a
// handful of groups (the SI prefixes, the metric system), so asking SQLite per
// row would read the same few groups hundreds of times. Holds at most one
// entry per group row of the file, for the length of one table's read.
class GroupNames {
public:
    explicit GroupNames(SqlStatement& query) : query_(query) {}

    const std::vector<ustring>& operator()(std::int64_t groupId) {
        auto [it, added] = read_.try_emplace(groupId);
        if (added) {
            query_.bind(0, groupId);
            query_.execute();
            while (query_.fetchRow()) {
                it->second.push_back(query_.getText(0));
            }
        }
        return it->second;
    }

private:
    SqlStatement& query_;
    std::unordered_map<std::int64_t, std::vector<ustring>> read_;
};

template <typename Set> auto firstOf(const Set& set) -> decltype(&set.begin()->get()) {
    return set.empty() ? nullptr : &set.begin()->get();
}

// The systems of each group, as a unit joins them (the manager's system of
// each name, unknown names left out), resolved once per group.
class GroupSystems {
public:
    explicit GroupSystems(GroupNames& names) : names_(names) {}

    const std::vector<std::shared_ptr<UnitSystem>>& operator()(std::int64_t groupId) {
        auto [it, added] = read_.try_emplace(groupId);
        if (added) {
            for (const ustring& name : names_(groupId)) {
                if (auto system = UnitModelLookup::managerUnitSystem(name)) {
                    it->second.push_back(std::move(system));
                }
            }
        }
        return it->second;
    }

private:
    GroupNames& names_;
    std::unordered_map<std::int64_t, std::vector<std::shared_ptr<UnitSystem>>> read_;
};

// The prefixes of each group that the database holds, found once per group;
// the names it does not hold are kept, for each row of the group to report.
class GroupPrefixes {
public:
    struct Found {
        Unit::PrefixSet prefixes;
        std::vector<ustring> missing;
    };

    GroupPrefixes(GroupNames& names, const UnitDatabase& database)
        : names_(names), database_(database) {}

    const Found& operator()(std::int64_t groupId) {
        auto [it, added] = read_.try_emplace(groupId);
        if (added) {
            for (const ustring& name : names_(groupId)) {
                if (const UnitPrefix* prefix = firstOf(database_.getUnitPrefix(name))) {
                    it->second.prefixes.insert(*prefix);
                } else {
                    it->second.missing.push_back(name);
                }
            }
        }
        return it->second;
    }

private:
    GroupNames& names_;
    const UnitDatabase& database_;
    std::unordered_map<std::int64_t, Found> read_;
};

// A row's factor as entities keep it, refused when it does not read. Units
// share factors (764 units of the built-in database have 367), so each
// distinct one is read once.
class FactorCheck {
public:
    StoredConversionFactor operator()(const SqlStatement& row, int typeColumn, int textColumn) {
        std::pair<std::int64_t, ustring> factor(row.getInt(typeColumn), row.getText(textColumn));
        if (!read_.contains(factor)) {
            readStoredFactor(factor.second, factor.first);
            read_.insert(factor);
        }
        return {std::move(factor.second), static_cast<ConversionFactorType>(factor.first)};
    }

private:
    std::set<std::pair<std::int64_t, ustring>> read_;
};

std::string typeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? demangled.get() : type.name();
}

} // namespace

SqlDatabaseFileLoader::SqlDatabaseFileLoader(UnitDatabase& database, const ustring& path)
    : database_(database), path_(path) {}

void SqlDatabaseFileLoader::load() {
    const std::string path = FileSystem::nativePath(TextServices::toUtf8(path_));
    try {
        if (!FileSystem::exists(path)) {
            reportOpenError("");
        } else {
            // Declared before the connection, so the copy outlives it and is
            // removed however the load ends.
            TemporaryFile copy;
            std::optional<SqlConnection> sql;
            try {
                copyPackagePartToFile(path, kPartName, copy.getFileName());
                sql.emplace(copy.getFileName(), SqlConnection::Mode::ReadOnly);
            } catch (const PackageError& e) {
                reportOpenError(e.what());
            } catch (const SqlError& e) {
                reportOpenError(e.what());
            }
            if (sql) {
                // One read transaction for every query: on its own, each one
                // would lock the file and check it for changes again.
                sql->execute("BEGIN");
                readTables(*sql);
                sql->execute("COMMIT");
            }
        }
    } catch (const std::exception& e) {
        reportOpenError("Failed with an unexpected exception: " + typeName(typeid(e)));
    } catch (...) {
        reportOpenError("Failed with an unexpected exception: unknown");
    }
    cvsvReportAsWarning(std::move(problems_));
}

void SqlDatabaseFileLoader::readTables(const SqlConnection& sql) {
    readVersion(sql);
    readUnitSystems(sql);
    readProvenances(sql);
    readPhysicalQuantities(sql);
    readPhysicalQuantityRelations(sql);
    readPrefixes(sql);
    readPrefixAliases(sql);
    readUnits(sql);
    readUnitAliases(sql);
    readMappings(sql);
    reportDanglingReferences(sql);
}

template <typename Body>
void SqlDatabaseFileLoader::runStep(std::u16string_view section, Body&& body) {
    Diagnostic failures;
    // Answers the number of rows the query gave.
    const auto eachRow = [&](SqlStatement& query, auto&& row) {
        std::int64_t rows = 0;
        for (; query.fetchRow(); ++rows) {
            try {
                row(query);
            } catch (const IException& e) {
                add(failures, cvsvCreateDiagnosticFromIException(e, true));
            }
        }
        return rows;
    };
    try {
        body(eachRow);
    } catch (const SqlError& e) {
        add(failures,
            cvsvCreateDiagnostic(makeUnitMsgID("UnitDatabaseFileOpenError", {path_}), e.what()));
    }
    if (failures.empty()) {
        return;
    }
    reportRow(section, std::move(failures));
}

void SqlDatabaseFileLoader::readVersion(const SqlConnection& sql) {
    ustring version = u"1.0";
    runStep(u"unitdbMetadata", [&](auto&&) {
        SqlStatement query(sql, kVersionQuery);
        if (query.fetchRow()) {
            version = query.getText(0);
        }
    });
    database_.setDatabaseVersionString(version);
}

void SqlDatabaseFileLoader::readUnitSystems(const SqlConnection& sql) {
    runStep(u"unitSystems", [&](auto&& eachRow) {
        SqlStatement query(sql, kUnitSystemsQuery);
        eachRow(query,
                [&](SqlStatement& row) { database_.addUnitSystem(UnitSystem(row.getText(0))); });
    });
}

void SqlDatabaseFileLoader::readProvenances(const SqlConnection& sql) {
    runStep(u"Unit Provenance", [&](auto&& eachRow) {
        SqlStatement query(sql, kProvenancesQuery);
        eachRow(query, [&](SqlStatement& row) {
            database_.addUnitProvenance(
                UnitProvenance(row.getText(0), row.getText(1), row.getText(2), row.getText(3),
                               row.getText(4), splitUrls(row.getText(6)), row.getText(7),
                               static_cast<std::int32_t>(row.getInt(5))));
        });
    });
}

void SqlDatabaseFileLoader::readPhysicalQuantities(const SqlConnection& sql) {
    const UnitFactory factory;
    runStep(u"physicalQuantities", [&](auto&& eachRow) {
        SqlStatement query(sql, kPhysicalQuantitiesQuery);
        eachRow(query, [&](SqlStatement& row) {
            const ustring name = row.getText(0);
            const UnitBase& stored = database_.addUnit(factory.createPhysicalQuantity(
                0, name, row.getText(1), escapeUnderscores(name), name, name));
            database_.addToAutocomplete(stored);
        });
    });
}

void SqlDatabaseFileLoader::readPhysicalQuantityRelations(const SqlConnection& sql) {
    constexpr std::u16string_view section = u"physicalQuantityRelations";
    runStep(section, [&](auto&& eachRow) {
        SqlStatement query(sql, kRelationsQuery);
        rowsRead_["physical_quantity_relations"] = eachRow(query, [&](SqlStatement& row) {
            const ustring nameA = row.getText(0);
            const ustring nameB = row.getText(1);
            const UnitBase* a = firstOf(database_.getPhysicalQuantity(nameA));
            const UnitBase* b = firstOf(database_.getPhysicalQuantity(nameB));
            if (!a || !b) {
                reportMissing(section, "UnitNotInDatabase", a ? nameB : nameA);
                return;
            }
            database_.addPhysicalQuantityRelation(*a, *b,
                                                  readStoredFactor(row.getText(3), row.getInt(2)));
        });
    });
}

void SqlDatabaseFileLoader::readPrefixes(const SqlConnection& sql) {
    const UnitFactory factory;
    FactorCheck checkedFactor;
    runStep(u"unitPrefixes", [&](auto&& eachRow) {
        SqlStatement query(sql, kPrefixesQuery);
        SqlStatement systemsQuery(sql, kPrefixSystemsQuery);
        SqlStatement provenancesQuery(sql, kPrefixProvenancesQuery);
        GroupNames systems(systemsQuery);
        GroupNames provenances(provenancesQuery);
        rowsRead_["unit_prefixes"] = eachRow(query, [&](SqlStatement& row) {
            const std::vector<ustring>& systemNames = systems(row.getInt(4));
            // Read like the systems, though prefixes keep no provenances.
            provenances(row.getInt(5));
            auto prefix =
                factory.createUnitPrefix(row.getText(0), row.getText(1), row.getText(2),
                                         row.getText(3), checkedFactor(row, 6, 7), systemNames);
            prefix->checkValidity();
            database_.addUnitPrefix(*prefix);
        });
    });
}

void SqlDatabaseFileLoader::readPrefixAliases(const SqlConnection& sql) {
    const UnitFactory factory;
    runStep(u"unitPrefixesAliases", [&](auto&& eachRow) {
        SqlStatement query(sql, kPrefixAliasesQuery);
        SqlStatement systemsQuery(sql, kPrefixAliasSystemsQuery);
        SqlStatement provenancesQuery(sql, kPrefixAliasProvenancesQuery);
        GroupNames systems(systemsQuery);
        GroupNames provenances(provenancesQuery);
        rowsRead_["prefix_aliases"] = eachRow(query, [&](SqlStatement& row) {
            const ustring prefixName = row.getText(4);
            const UnitPrefix* prefix = firstOf(database_.getUnitPrefix(prefixName));
            if (!prefix) {
                reportMissing(u"unitPrefixAliases", "UnitPrefixNotInDatabase", prefixName);
                return;
            }
            const std::vector<ustring>& systemNames = systems(row.getInt(5));
            provenances(row.getInt(6));
            auto alias =
                factory.createUnitPrefixAlias(row.getText(0), row.getText(1), row.getText(2),
                                              row.getText(3), *prefix, systemNames);
            alias->checkValidity();
            database_.addUnitPrefix(*alias);
        });
    });
}

void SqlDatabaseFileLoader::readUnits(const SqlConnection& sql) {
    constexpr std::u16string_view section = u"units";
    const UnitFactory factory;
    FactorCheck checkedFactor;
    runStep(section, [&](auto&& eachRow) {
        SqlStatement query(sql, kUnitsQuery);
        SqlStatement systemsQuery(sql, kUnitSystemsOfGroupQuery);
        SqlStatement prefixGroupQuery(sql, kPrefixesOfGroupQuery);
        GroupNames systemNames(systemsQuery);
        GroupSystems systems(systemNames);
        GroupNames prefixNames(prefixGroupQuery);
        GroupPrefixes prefixGroup(prefixNames, database_);
        // Units share a few groups and quantities, and no system, prefix or
        // quantity is added while units are read: each is looked up once.
        std::unordered_map<ustring, const UnitBase*, TextKeyHash> quantities;
        ustring quantityName;
        rowsRead_["units"] = eachRow(query, [&](SqlStatement& row) {
            const GroupPrefixes::Found& prefixes = prefixGroup(row.getInt(8));
            for (const ustring& prefixName : prefixes.missing) {
                reportMissing(section, "UnitPrefixNotInDatabase", prefixName);
            }
            auto [known, fresh] = quantities.try_emplace(row.getText(5, quantityName));
            if (fresh) {
                known->second = firstOf(database_.getPhysicalQuantity(quantityName));
            }
            const UnitBase* quantity = known->second;
            if (!quantity) {
                reportMissing(section, "UnitNotInDatabase", quantityName);
                return;
            }
            if (!prefixes.missing.empty()) {
                return;
            }
            auto unit = factory.createUnit(
                -10, row.getText(0), row.getText(3), row.getText(1), row.getText(2), row.getText(4),
                checkedFactor(row, 9, 10), row.getText(6), {}, prefixes.prefixes, false, *quantity);
            for (const auto& system : systems(row.getInt(7))) {
                unit->addOwnerUnitSystem(system);
            }
            database_.addToAutocomplete(database_.addUnit(std::move(unit)));
        });
    });
}

void SqlDatabaseFileLoader::readUnitAliases(const SqlConnection& sql) {
    constexpr std::u16string_view section = u"unitAliases";
    const UnitFactory factory;
    runStep(section, [&](auto&& eachRow) {
        SqlStatement query(sql, kUnitAliasesQuery);
        SqlStatement systemsQuery(sql, kPrefixSystemsQuery);
        GroupNames systems(systemsQuery);
        ustring unitSymbol;
        rowsRead_["unit_aliases"] = eachRow(query, [&](SqlStatement& row) {
            row.getText(3, unitSymbol);
            const auto* unit = dynamic_cast<const Unit*>(firstOf(database_.getUnit(unitSymbol)));
            if (!unit) {
                reportMissing(section, "UnitNotInDatabase", unitSymbol);
                return;
            }
            auto alias = factory.createUnitAlias(row.getText(0), row.getText(1), row.getText(2),
                                                 row.getText(4), *unit, systems(row.getInt(5)));
            database_.addToAutocomplete(database_.addUnit(std::move(alias)));
        });
    });
}

void SqlDatabaseFileLoader::readMappings(const SqlConnection& sql) {
    for (const Mapping& mapping : kMappings) {
        runStep(mapping.section, [&](auto&& eachRow) {
            SqlStatement query(sql, mapping.query);
            ustring first;
            ustring second;
            eachRow(query, [&](SqlStatement& row) {
                (database_.*mapping.add)(row.getText(0, first), row.getText(1, second));
            });
        });
    }
}

void SqlDatabaseFileLoader::reportDanglingReferences(const SqlConnection& sql) {
    std::set<std::string_view> complete;
    try {
        SqlStatement counts(sql, kCheckedTableCounts);
        if (counts.fetchRow()) {
            for (int i = 0; i < static_cast<int>(std::size(kCheckedTables)); ++i) {
                const std::string_view table = kCheckedTables[i];
                const auto read = rowsRead_.find(table);
                if (read != rowsRead_.end() && read->second == counts.getInt(i)) {
                    complete.insert(table);
                }
            }
        }
    } catch (const SqlError&) {
        // A table that is missing: every check runs and says so.
    }
    for (const ReferenceCheck& check : kReferenceChecks) {
        if (complete.contains(check.table)) {
            continue;
        }
        runStep(check.section, [&](auto&& eachRow) {
            SqlStatement query(sql, check.query);
            eachRow(query, [&](SqlStatement& row) {
                reportRow(check.section, cvsvCreateDiagnostic(
                                             makeUnitMsgID("UnitDatabaseFileLoadFieldError",
                                                           {row.getText(1), ustring(check.field)}),
                                             TextServices::toUtf8(row.getText(0))));
            });
        });
    }
}

void SqlDatabaseFileLoader::reportMissing(std::u16string_view section, std::string_view key,
                                          const ustring& name) {
    reportRow(section, cvsvCreateDiagnosticFromMessageID(makeUnitMsgID(key, {name})));
}

void SqlDatabaseFileLoader::reportRow(std::u16string_view section, Diagnostic cause) {
    Diagnostic error = cvsvCreateDiagnosticFromMessageID(
        makeUnitMsgID("UnitDatabaseFileLoadFieldError", {path_, ustring(section)}));
    cvsvAddCauseToDiagnosticItem(error, 0, std::move(cause));
    add(problems_, std::move(error));
}

void SqlDatabaseFileLoader::reportOpenError(const std::string& extraText) {
    add(problems_,
        cvsvCreateDiagnostic(makeUnitMsgID("UnitDatabaseFileOpenError", {path_}), extraText));
}

void SqlDatabaseFileLoader::add(Diagnostic& to, Diagnostic d) const {
    cvsvConcatenateDiagnosticsNoCheck(to, std::move(d), true);
}

} // namespace CvUnitSys
