#include "Command.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/model/UnitAlias.hpp"
#include "units/model/UnitSystem.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace cvunits {
namespace {

using namespace CvUnitSys;

// One listed entry: the fields of its line, the first being what it is sorted by.
using Row = std::vector<std::pair<std::string, std::string>>;

std::string utf8(std::u16string_view text) {
    return TextServices::toUtf8(text);
}

// Stored units and aliases only: prefixed forms are composed on demand.
std::vector<Row> unitRows(const UnitDatabase& db) {
    std::vector<Row> rows;
    for (const UnitBase& entity : db.getAllUnits()) {
        const auto& unit = static_cast<const Unit&>(entity);
        const UnitBase* pq = unit.getPhysicalQuantity();
        Row row{{"symbol", utf8(unit.getSymbol())},
                {"name", utf8(unit.getName())},
                {"physical_quantity", pq ? utf8(pq->getName()) : ""}};
        if (const auto* alias = dynamic_cast<const UnitAlias*>(&unit)) {
            row.emplace_back("alias_of", utf8(alias->getRefUnit().getSymbol()));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<Row> prefixRows(const UnitDatabase& db) {
    std::vector<Row> rows;
    for (const UnitPrefix& prefix : db.getAllPrefixes()) {
        rows.push_back({{"symbol", utf8(prefix.getSymbol())},
                        {"name", utf8(prefix.getName())},
                        {"factor", utf8(prefix.getConversionFactor().first)}});
    }
    return rows;
}

std::vector<Row> quantityRows(const UnitDatabase& db) {
    std::vector<Row> rows;
    for (const UnitBase& pq : db.getAllPhysicalQuantities()) {
        rows.push_back({{"name", utf8(pq.getName())}, {"expression", utf8(pq.getExpression())}});
    }
    return rows;
}

std::vector<Row> systemRows(const UnitDatabase& db) {
    std::vector<Row> rows;
    for (const auto& system : db.getAllUnitSystems()) {
        rows.push_back({{"name", utf8(system->getName())}});
    }
    return rows;
}

std::vector<Row> provenanceRows(const UnitDatabase& db) {
    std::vector<Row> rows;
    for (const auto& [id, provenance] : db.getAllUnitProvenances()) {
        rows.push_back({{"name", utf8(id)},
                        {"title", utf8(provenance.getTitle())},
                        {"year", std::to_string(provenance.getYear())}});
    }
    return rows;
}

const std::map<std::string, std::vector<Row> (*)(const UnitDatabase&)> kinds = {
    {"units", unitRows},     {"prefixes", prefixRows},        {"quantities", quantityRows},
    {"systems", systemRows}, {"provenances", provenanceRows},
};

int listCommand(const CommandContext& ctx) {
    if (ctx.args.size() > 1) {
        return exitUsage;
    }
    const auto kind = kinds.find(ctx.args.empty() ? "units" : ctx.args[0]);
    if (kind == kinds.end()) {
        return exitUsage;
    }
    std::vector<Row> rows;
    UnitDBManager::m_UnitDBManager.iterateAll([&](const UnitDatabase& db) {
        std::vector<Row> more = kind->second(db);
        rows.insert(rows.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
    });
    std::sort(rows.begin(), rows.end());
    // A user database repeats the built-in unit systems it uses.
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (ctx.json) {
        auto out = nlohmann::ordered_json::array();
        for (const Row& row : rows) {
            nlohmann::ordered_json entry = nlohmann::ordered_json::object();
            for (const auto& [field, value] : row) {
                entry[field] = value;
            }
            out.push_back(entry);
        }
        ctx.out << out.dump(2) << '\n';
        return exitSuccess;
    }
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            ctx.out << (i ? "\t" : "") << row[i].second;
        }
        ctx.out << '\n';
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"list",
     "[units|prefixes|quantities|systems|provenances]",
     "list what the databases (built-in and --db) hold, one entry a line, sorted\n"
     "(units by default; prefixed forms such as km are not listed: see 'cvunits info')",
     {"cvunits list units", "cvunits list prefixes", "cvunits --json list systems"},
     listCommand}};

} // namespace
} // namespace cvunits
