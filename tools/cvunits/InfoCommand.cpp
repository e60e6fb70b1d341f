#include "Command.hpp"
#include "FriendlyInput.hpp"
#include "Refusal.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/frontdoor/SymbolSuggestions.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/model/CompositeUnit.hpp"
#include "units/model/UnitAlias.hpp"
#include "units/model/UnitPrefixAlias.hpp"
#include "units/model/UnitSystem.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;
using nlohmann::ordered_json;

std::string utf8(std::u16string_view text) {
    return TextServices::toUtf8(text);
}

const char* factorKindName(ConversionFactorType type) {
    switch (type) {
    case ConversionFactorType::Double:
        return "double";
    case ConversionFactorType::Rational:
        return "rational";
    case ConversionFactorType::ScaledRational:
        return "scaled rational";
    case ConversionFactorType::RationalAffine:
        return "rational affine";
    case ConversionFactorType::DoubleAffine:
        return "double affine";
    case ConversionFactorType::DoubleReciprocal:
        return "double reciprocal";
    case ConversionFactorType::Composite:
        return "composite";
    }
    return "unknown";
}

// The stored text and kind, and what they come to: y = scaling * x + offset,
// or y = scaling / x for a reciprocal.
ordered_json describeFactor(const StoredConversionFactor& stored) {
    ordered_json out{{"text", utf8(stored.first)}, {"kind", factorKindName(stored.second)}};
    const ConversionFactor factor =
        ConversionFactorFactory::createConversionFactor(stored.first, stored.second);
    if (!factor.isEmpty()) {
        out["scaling"] = factor.toDouble();
        if (factor.isAffine()) {
            out["offset"] = factor.getOffset();
        }
        if (factor.isReciprocal()) {
            out["reciprocal"] = true;
        }
    }
    return out;
}

template <typename Systems> ordered_json systemNames(const Systems& systems) {
    ordered_json names = ordered_json::array();
    for (const auto& system : systems) {
        names.push_back(utf8(system->getName()));
    }
    return names;
}

ordered_json provenanceList(const UnitDatabase::ProvenanceList& provenances) {
    ordered_json out = ordered_json::array();
    for (const UnitProvenance& p : provenances) {
        out.push_back(utf8(p.getProvenanceId()) + " (" + utf8(p.getTitle()) + ")");
    }
    return out;
}

ordered_json texts(const UnitBase& entity) {
    return {{"name", utf8(entity.getName())},
            {"symbol", utf8(entity.getSymbol())},
            {"ascii_symbol", utf8(entity.getAsciiSymbol())},
            {"display", utf8(entity.getDisplay())},
            {"expression", utf8(entity.getExpression())}};
}

ordered_json describeUnit(const UnitDatabase& db, const Unit& unit) {
    ordered_json out{{"kind", "unit"}};
    // Prefixed units and aliases are documented by the unit they stand for.
    const Unit* provenanceOwner = &unit;
    if (const auto* composite = dynamic_cast<const CompositeUnit*>(&unit)) {
        out["kind"] = "prefixed unit";
        out["prefix"] = utf8(composite->getPrefix().getName());
        out["unit"] = utf8(composite->getUnit().getSymbol());
        provenanceOwner = &composite->getUnit();
    } else if (const auto* alias = dynamic_cast<const UnitAlias*>(&unit)) {
        out["kind"] = "unit alias";
        out["alias_of"] = utf8(alias->getRefUnit().getSymbol());
        provenanceOwner = &alias->getRefUnit();
    }
    out.update(texts(unit));
    const UnitBase* pq = unit.getPhysicalQuantity();
    out["physical_quantity"] = pq ? utf8(pq->getName()) : "";
    out["factor"] = describeFactor(unit.getConversionFactor());
    out["unit_systems"] = systemNames(unit.getUnitSystems());
    ordered_json prefixes = ordered_json::array();
    for (const UnitPrefix& prefix : unit.getUnitPrefixes()) {
        prefixes.push_back(utf8(prefix.getName()));
    }
    out["prefixes"] = prefixes;
    out["provenances"] =
        provenanceList(db.getProvenancesForUnit(ustring(provenanceOwner->getSymbol())));
    return out;
}

ordered_json describeQuantity(const UnitDatabase& db, const UnitBase& pq) {
    ordered_json out{{"kind", "physical quantity"}};
    out.update(texts(pq));
    ordered_json units = ordered_json::array();
    for (const ustring& symbol : db.getUnitFromPhysicalQuantity(ustring(pq.getName()))) {
        units.push_back(utf8(symbol));
    }
    out["units"] = units;
    out["provenances"] =
        provenanceList(db.getProvenancesForPhysicalQuantity(ustring(pq.getName())));
    return out;
}

ordered_json describePrefix(const UnitPrefix& prefix) {
    ordered_json out{{"kind", "prefix"}};
    if (const auto* alias = dynamic_cast<const UnitPrefixAlias*>(&prefix)) {
        out["kind"] = "prefix alias";
        out["alias_of"] = utf8(alias->getRefUnitPrefix().getName());
    }
    out["name"] = utf8(prefix.getName());
    out["symbol"] = utf8(prefix.getSymbol());
    out["ascii_symbol"] = utf8(prefix.getAsciiSymbol());
    out["display"] = utf8(prefix.getDisplay());
    out["factor"] = describeFactor(prefix.getConversionFactor());
    out["unit_systems"] = systemNames(prefix.getUnitSystems());
    return out;
}

// The shortest text that reads back as the same double.
std::string shortest(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string plainValue(const ordered_json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_array()) {
        std::string joined;
        for (const auto& item : value) {
            joined += (joined.empty() ? "" : ", ") + plainValue(item);
        }
        return joined.empty() ? "none" : joined;
    }
    if (value.is_object()) {
        std::string text = value.value("text", "");
        text += " (" + value.value("kind", "") + ")";
        if (value.contains("scaling")) {
            text += " = ";
            if (value.value("reciprocal", false)) {
                text += "1/x * ";
            }
            text += shortest(value["scaling"].get<double>());
            if (value.contains("offset")) {
                text += " + " + shortest(value["offset"].get<double>());
            }
        }
        return text;
    }
    return value.dump();
}

void printPlain(std::ostream& out, const ordered_json& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            out << '\n';
        }
        for (const auto& [key, value] : entries[i].items()) {
            std::string label = key;
            std::replace(label.begin(), label.end(), '_', ' ');
            out << label << ": " << plainValue(value) << '\n';
        }
    }
}

// Every database's entries for the text, built-in first.
ordered_json entriesFor(const std::string& typed) {
    const ustring text = TextServices::fromUtf8(typed);
    ordered_json entries = ordered_json::array();
    UnitDBManager::m_UnitDBManager.iterateAll([&](const UnitDatabase& db) {
        for (const UnitBase& unit : db.getUnit(text)) {
            entries.push_back(describeUnit(db, static_cast<const Unit&>(unit)));
        }
        for (const UnitBase& pq : db.getPhysicalQuantity(text)) {
            entries.push_back(describeQuantity(db, pq));
        }
        for (const UnitPrefix& prefix : db.getUnitPrefix(text)) {
            entries.push_back(describePrefix(prefix));
        }
    });
    return entries;
}

int refuseUnknown(const CommandContext& ctx, const std::string& typed) {
    const ustring text = TextServices::fromUtf8(typed);
    std::string message = formatMessage(makeUnitMsgID("UnitNotInDatabase", {text}));
    if (const auto hint = quantityHint(typed)) {
        message += "\n" + *hint;
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    const cv_units::UnitError error("CorvaneTypes:Unit:UnitNotInDatabase", message, message, 0,
                                    {{typed, cv_units::SymbolSuggestions(set).closest(text)}});
    return reportUnitError(ctx, {{"symbol", typed}}, error);
}

int infoCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 1) {
        return exitUsage;
    }
    const std::string& typed = ctx.args[0];
    try {
        cv_units::checkText(typed);
    } catch (const cv_units::UnitError& e) {
        return reportUnitError(ctx, {{"symbol", typed}}, e);
    }
    ordered_json entries = entriesFor(typed);
    if (entries.empty()) {
        // A plural or a name typed loosely ("meters"): what it reads as.
        try {
            const TypedUnit read = readTypedUnit(typed);
            if (read.rewritten && !read.scaled) {
                entries = entriesFor(read.text);
                if (!entries.empty() && !ctx.json) {
                    ctx.err << understoodText(read) << '\n';
                }
            }
        } catch (const cv_units::UnitError& e) {
            // Not a name at all: a malformed text, or one read two ways.
            if (e.column() != 0) {
                return reportUnitError(ctx, {{"symbol", typed}}, e);
            }
        }
    }
    if (entries.empty()) {
        return refuseUnknown(ctx, typed);
    }
    if (ctx.json) {
        ctx.out << entries.dump(2, ' ', false, ordered_json::error_handler_t::replace) << '\n';
    } else {
        printPlain(ctx.out, entries);
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"info",
     "SYMBOL",
     "show what the databases (built-in and --db) know about a unit, physical quantity\n"
     "or prefix, found by name, symbol or ASCII symbol; a prefixed form such as km\n"
     "shows the prefixed unit, and a plural such as meters the unit",
     {"cvunits info ft", "cvunits info km", "cvunits --json info degC", "cvunits info length"},
     infoCommand}};

} // namespace
} // namespace cvunits
