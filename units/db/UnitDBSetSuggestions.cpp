#include "units/db/UnitDBSet.hpp"
#include "units/expr/AutocompletionSplitters.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <unicode/uchar.h>

namespace CvUnitSys {

std::vector<const UnitDatabase*> UnitDBSet::databasesInOrder() const {
    std::vector<const UnitDatabase*> out{&builtin()};
    for (const UserDB& db : databases_) {
        out.push_back(db.database);
    }
    return out;
}

namespace {

std::int32_t capitals(const ustring& word) {
    return static_cast<std::int32_t>(
        std::count_if(word.begin(), word.end(), [](char16_t c) { return u_isupper(c) != 0; }));
}

} // namespace

void UnitDBSet::addWhitelistedUnits(const UnitBase& entity) {
    whitelist_.addSuggestions(entity, *this);
}

AutoCompletionResult UnitDBSet::getAutoCompleteSuggestions(const ustring& text) const {
    const AutocompletionComponents components = getComponentsForAutoCompletion(text);
    const bool quantity = components.hasQualifier;
    const AutocompletionInfo info = getInfoForAutocompletionFromUserExpression(
        quantity ? components.qualifierPart : components.expressionPart);
    const UnitBase::UnitType type =
        quantity ? UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY : UnitBase::UNIT_TYPE_UNIT;

    UnitSet typed;
    for (const ustring& name : info.completedTokens) {
        const UnitSet found = quantity ? findPhysicalQuantity(name) : findUnit(name);
        if (!found.empty()) {
            typed.insert(*found.begin());
        }
    }
    UnitSet completions;
    Whitelist::Information information;
    for (const UnitDatabase* db : databasesInOrder()) {
        db->appendAutoCompleteSuggestions(completions, info.lastToken, type);
        db->appendWhiteListInformation(completions, information, typed);
    }

    AutoCompletionResult result;
    if (quantity) {
        result.text = components.expressionPart + u"@" + info.leadingText;
        result.units.assign(completions.begin(), completions.end());
        return result;
    }
    whitelist_.appendInformation(completions, information, typed);
    result.text = info.leadingText;
    // Most often beside the typed symbols first, then most used, then by symbol.
    std::vector<std::tuple<std::int32_t, std::int32_t, const ustring*>> ranked;
    for (const auto& [symbol, counts] : information) {
        ranked.emplace_back(-counts.first, -counts.second, &symbol);
    }
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a), *std::get<2>(a)) <
               std::tie(std::get<0>(b), std::get<1>(b), *std::get<2>(b));
    });
    for (const auto& entry : ranked) {
        // getUnit without building the set of every match.
        const UnitBase* unit = findFirstUnit(*std::get<2>(entry));
        if (unit == nullptr) {
            throwUnitMsg("UnitNotInDatabase", {*std::get<2>(entry)});
        }
        result.units.emplace_back(*unit);
        completions.erase(*unit);
    }
    result.units.insert(result.units.end(), completions.begin(), completions.end());
    return result;
}

std::vector<ustring> UnitDBSet::getApproximateSuggestion(const ustring& text,
                                                         UnitBase::UnitType type) const {
    std::map<ustring, std::int32_t> distances;
    std::map<ustring, std::int32_t> occurrences;
    for (const UnitDatabase* db : databasesInOrder()) {
        db->appendApproximateSuggestion(text, distances, occurrences, type);
    }
    struct Candidate {
        std::int32_t distance;
        std::int32_t score;
        std::int32_t capitals;
        const ustring* word;
    };
    std::vector<Candidate> candidates;
    for (const auto& [word, distance] : distances) {
        std::int32_t score = 0;
        if (const auto found = occurrences.find(word); found != occurrences.end()) {
            score = found->second;
        }
        if (type == UnitBase::UNIT_TYPE_UNIT) {
            score += whitelist_.getSymbolOccurrenceCount(getUnit(word));
        }
        candidates.push_back({distance, score, capitals(word), &word});
    }
    // Among words equally close and equally used, fewer capitals first: text in
    // the wrong case is mostly a lower-case symbol typed with caps lock or
    // shift (KM, MPH, Kg), and code-unit order alone would put capitals first
    // (MM would give Mm, megametre, before mm).
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.distance, b.score, a.capitals, *a.word) <
               std::tie(b.distance, a.score, b.capitals, *b.word);
    });
    std::vector<ustring> out;
    out.reserve(candidates.size());
    for (const Candidate& c : candidates) {
        out.push_back(*c.word);
    }
    return out;
}

std::vector<ustring> UnitDBSet::getSuggestionsForAmbiguousUnits(const ustring& symbol) const {
    std::vector<ustring> out;
    for (const ustring& shortName :
         UnitDBManager::m_UnitDBManager.getAmbiguousSymbolsUnitSystems(symbol)) {
        out.push_back(shortName + u"::" + symbol);
    }
    return out;
}

namespace {

void append(std::vector<ustring>& out, const std::vector<ustring>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// The units of each database's quantities, then those of the quantities
// related to them, walking the databases in order both times.
template <typename QuantitiesOf>
std::vector<ustring> unitsOfQuantities(const std::vector<const UnitDatabase*>& databases,
                                       const QuantitiesOf& quantitiesOf) {
    std::vector<ustring> out;
    std::vector<ustring> related;
    for (const UnitDatabase* db : databases) {
        for (const ustring& quantity : quantitiesOf(*db)) {
            append(out, db->getUnitFromPhysicalQuantity(quantity));
            append(related, db->getRelatedPhysicalQuantities(quantity));
        }
    }
    for (const UnitDatabase* db : databases) {
        for (const ustring& quantity : related) {
            append(out, db->getUnitFromPhysicalQuantity(quantity));
        }
    }
    return out;
}

// Sorted ignoring case (stable, so the databases' order decides among equals),
// without repeating a text.
void sortSimilar(std::vector<ustring>& units) {
    std::stable_sort(units.begin(), units.end(), [](const ustring& a, const ustring& b) {
        return TextServices::compareIgnoreCase(a, b) < 0;
    });
    units.erase(std::unique(units.begin(), units.end()), units.end());
}

} // namespace

std::vector<ustring> UnitDBSet::getSimilarUnitsForUnit(const ustring& symbol) const {
    const std::vector<const UnitDatabase*> databases = databasesInOrder();
    std::vector<ustring> out = unitsOfQuantities(databases, [&symbol](const UnitDatabase& db) {
        return db.getPhysicalQuantityFromUnit(symbol);
    });
    for (const ustring& quantity : derivedQuantities(symbol)) {
        for (const UnitDatabase* db : databases) {
            append(out, db->getUnitFromPhysicalQuantity(quantity));
        }
    }
    sortSimilar(out);
    return out;
}

std::vector<ustring> UnitDBSet::derivedQuantities(const ustring& symbol) const {
    UnitExpr parsed;
    try {
        if (!parseUnitExprNoThrow(symbol, parsed)) {
            return {};
        }
    } catch (const std::out_of_range&) {
        return {};
    }
    const UnitExpr::Map& names = parsed.getReducedUnitExpr().getExpr();
    if (names.size() < 2) {
        return {};
    }
    PhysicalQuantityReductionMap& reduction =
        UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap();
    reduction.initializeIfNeeded();
    BaseExpression running;
    for (const auto& [name, exponent] : names) {
        UnitSet quantities;
        bool known = false;
        for (const UnitDatabase* db : databasesInOrder()) {
            for (const UnitBase& unit : db->getUnit(name)) {
                const UnitBase* quantity =
                    unit.getUnitType() == UnitBase::UNIT_TYPE_UNIT
                        ? static_cast<const Unit&>(unit).getPhysicalQuantity()
                        : nullptr;
                if (quantity == nullptr ||
                    quantity->compare(UnitFactory::getDefaultPhysicalQuantity()) == 0) {
                    return {};
                }
                quantities.insert(*quantity);
                known = true;
            }
        }
        if (!known) {
            return {};
        }
        // A name of several quantities says nothing more: what is known so far counts.
        if (quantities.size() > 1) {
            break;
        }
        for (BaseExpressionTerm term :
             reduction.getSimplifiedBaseExpression(quantities.begin()->get())) {
            term.second *= exponent;
            running.push_back(std::move(term));
        }
    }
    std::stable_sort(running.begin(), running.end(), TagExponentSortComparator());
    const BaseExpression reduced = PhysicalQuantityReductionMap::simplify(running);
    const bool dimensionless =
        reduced.size() == 1 && reduced.front().first == u"length" && reduced.front().second == 0;
    return dimensionless ? std::vector<ustring>{} : reduction.getMatching(reduced);
}

std::vector<ustring> UnitDBSet::getSimilarUnitsForPhysicalQuantity(const ustring& name) const {
    std::vector<ustring> out = unitsOfQuantities(
        databasesInOrder(), [&name](const UnitDatabase&) { return std::vector<ustring>{name}; });
    sortSimilar(out);
    return out;
}

} // namespace CvUnitSys
