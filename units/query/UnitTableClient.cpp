#include "units/query/UnitTableClient.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/expr/ExprSymbolLists.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/host/HxArrayConversion.hpp"
#include "units/platform/TextServices.hpp"

#include <optional>
#include <stdexcept>

namespace CvUnitSys {

namespace {

// Registering strictly, as from a model: what every question about texts does first.
std::int32_t registerText(UnitTable& table, const ustring& text) {
    return table.registerUnit(text, true, true);
}

UnitComparison compare(UnitTable& table, const ustring& a, const ustring& b) {
    const std::int32_t idA = registerText(table, a);
    const std::int32_t idB = registerText(table, b);
    return table.equivalentUnits(idA, idB);
}

struct TextParts {
    ustring unitPart;
    ustring quantityPart;
};

// The unit and quantity parts of a text to correct; nothing for an empty or
// malformed text, or one without a unit part.
std::optional<TextParts> splitForCorrection(const ustring& text) {
    const ustring normalized = normalizeUnitExpression(TextServices::trim(text));
    TextParts parts;
    if (normalized.empty() ||
        !parseExprForUnitComponents(normalized, parts.unitPart, parts.quantityPart) ||
        parts.unitPart.empty()) {
        return std::nullopt;
    }
    UnitExpr parsed;
    try {
        if (!parseUnitExprNoThrow(parts.unitPart, parsed)) {
            return std::nullopt;
        }
    } catch (const std::out_of_range&) {
        // Ill-formed UTF-16 is as unreadable as a syntax error.
        return std::nullopt;
    }
    return parts;
}

// Replaces the first occurrence of `name` in `text`, compared code unit by code unit.
void replaceFirst(ustring& text, const ustring& name, const ustring& replacement) {
    if (const auto at = text.find(name); at != ustring::npos) {
        text.replace(at, name.size(), replacement);
    }
}

ustring withQuantity(const ustring& unitPart, const ustring& quantityPart) {
    return quantityPart.empty() ? unitPart : unitPart + u"@" + quantityPart;
}

} // namespace

bool UnitTableClient::areEquivalent(UnitTable& table, const ustring& a, const ustring& b) {
    return compare(table, a, b) == Equivalent;
}

bool UnitTableClient::areConvertible(UnitTable& table, const ustring& a, const ustring& b) {
    return allowsConversion(compare(table, a, b));
}

UnitNumericInfoForConversions UnitTableClient::getConversionInfo(UnitTable& table, const ustring& a,
                                                                 const ustring& b) {
    const std::int32_t idA = registerText(table, a);
    const std::int32_t idB = registerText(table, b);
    return table.getConversionInfo(idA, idB);
}

std::pair<ustring, matrix::unique_array> UnitTableClient::getAutoCompleteList(UnitTable& table,
                                                                              const ustring& text) {
    AutoCompletionResult result = table.getUnitDBSetForQuery().getAutoCompleteSuggestions(text);
    return {std::move(result.text),
            HxArrayConversion::unitObjArray(result.units, UnitBase::UNIT_TYPE_UNIT)};
}

std::pair<ustring, std::vector<ustring>>
UnitTableClient::getAutoCompleteStrings(UnitTable& table, const ustring& text) {
    AutoCompletionResult result = table.getUnitDBSetForQuery().getAutoCompleteSuggestions(text);
    std::vector<ustring> symbols;
    symbols.reserve(result.units.size());
    for (const UnitBase& unit : result.units) {
        symbols.emplace_back(unit.getSymbol());
    }
    return {std::move(result.text), std::move(symbols)};
}

ustring UnitTableClient::getBestApproximation(UnitTable& table, const ustring& text) {
    const std::optional<TextParts> parts = splitForCorrection(text);
    if (!parts) {
        return {};
    }
    UnitDBSet& set = table.getUnitDBSetForQuery();
    ustring unitPart = parts->unitPart;
    for (const ustring& name : getUndefinedUnitsFromExpr(parts->unitPart, set)) {
        const std::vector<ustring> closest =
            set.getApproximateSuggestion(name, UnitBase::UNIT_TYPE_UNIT);
        if (!closest.empty()) {
            replaceFirst(unitPart, name, closest.front());
        }
    }
    ustring quantityPart = parts->quantityPart;
    if (!quantityPart.empty() && !set.hasPhysicalQuantity(quantityPart)) {
        const std::vector<ustring> closest =
            set.getApproximateSuggestion(quantityPart, UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY);
        if (!closest.empty()) {
            quantityPart = closest.front();
        }
    }
    return withQuantity(unitPart, quantityPart);
}

ustring UnitTableClient::getQualificationForAmbiguousUnit(UnitTable& table, const ustring& text) {
    const std::optional<TextParts> parts = splitForCorrection(text);
    if (!parts) {
        return {};
    }
    UnitDBSet& set = table.getUnitDBSetForQuery();
    ustring candidates;
    for (const ustring& name : getAmbiguousUnitsFromExpr(parts->unitPart, set)) {
        for (const ustring& qualified : set.getSuggestionsForAmbiguousUnits(name)) {
            ustring candidate = parts->unitPart;
            replaceFirst(candidate, name, qualified);
            candidates +=
                (candidates.empty() ? u"" : u", ") + withQuantity(candidate, parts->quantityPart);
        }
    }
    return candidates;
}

std::vector<ustring> UnitTableClient::getFullListOfSimilarUnitsForUnit(UnitTable& table,
                                                                       const ustring& symbol) {
    return table.getUnitDBSetForQuery().getSimilarUnitsForUnit(symbol);
}

std::vector<ustring>
UnitTableClient::getFullListOfSimilarUnitsForPhysicalQuantity(UnitTable& table,
                                                              const ustring& name) {
    return table.getUnitDBSetForQuery().getSimilarUnitsForPhysicalQuantity(name);
}

matrix::unique_array UnitTableClient::getFullListOfAvailableUnits(UnitTable& table) {
    return HxArrayConversion::unitObjArray(table.getUnitDBSetForQuery().getAllUnits(),
                                           UnitBase::UNIT_TYPE_UNIT);
}

matrix::unique_array UnitTableClient::getFullListOfAvailablePhysicalQuantities(UnitTable& table) {
    return HxArrayConversion::unitObjArray(table.getUnitDBSetForQuery().getAllPhysicalQuantities(),
                                           UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY);
}

matrix::unique_array UnitTableClient::getFullListOfAvailablePrefixes(UnitTable& table) {
    return HxArrayConversion::unitPrefixArray(table.getUnitDBSetForQuery().getAllPrefixes());
}

matrix::unique_array UnitTableClient::getFullListOfAvailableUnitSystems(UnitTable&) {
    return HxArrayConversion::unitSystemArray(UnitDBManager::m_UnitDBManager.getAllUnitSystems());
}

matrix::unique_array UnitTableClient::getFullListOfAvailableProvenances(UnitTable& table) {
    return HxArrayConversion::unitProvenanceArray(
        table.getUnitDBSetForQuery().getAllUnitProvenances());
}

matrix::unique_array UnitTableClient::getFullListOfProvenanceForUnit(UnitTable& table,
                                                                     const hxArray* unit) {
    const UnitDBSet& set = table.getUnitDBSetForQuery();
    // The databases tie provenances to unit symbols; the object names its unit
    // by name, which finds the unit whose symbol to look up.
    ustring key = HxArrayConversion::getNameForUnitObj(unit);
    if (const UnitDBSet::UnitSet found = key.empty() ? UnitDBSet::UnitSet() : set.findUnit(key);
        !found.empty()) {
        key = found.begin()->get().getSymbol();
    }
    return HxArrayConversion::unitProvenanceArray(set.getProvenancesForUnit(key));
}

matrix::unique_array
UnitTableClient::getFullListOfProvenanceForPhysicalQuantity(UnitTable& table,
                                                            const hxArray* quantity) {
    const UnitDBSet& set = table.getUnitDBSetForQuery();
    return HxArrayConversion::unitProvenanceArray(set.getProvenancesForPhysicalQuantity(
        HxArrayConversion::getNameForPhysicalQuantityObj(quantity)));
}

std::vector<ustring> UnitTableClient::getAllUnitsFromUnitAndPhysicalQuantityMap(UnitTable& table) {
    return table.getUnitDBSetForQuery().getAllUnitsFromUnitAndPhysicalQuantityMap();
}

void UnitTableClient::clearAll() {
    UnitDBManager::m_UnitDBManager.resetAll();
}

} // namespace CvUnitSys
