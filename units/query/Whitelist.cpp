#include "units/query/Whitelist.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/model/UnitAST.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace CvUnitSys {

namespace {

// Ascending and without repeats, as the counts want them.
void sortUnique(std::vector<std::u16string_view>& symbols) {
    std::sort(symbols.begin(), symbols.end());
    symbols.erase(std::unique(symbols.begin(), symbols.end()), symbols.end());
}

} // namespace

template <typename Resolve>
void Whitelist::addDefinition(const UnitBase& unit, const Resolve& firstSymbolOf) {
    // The entities found outlive the call: their symbols need no copies.
    std::vector<std::u16string_view> symbols;
    // A quantity-only registration has no expression to learn from.
    if (!unit.getDisplayString().empty()) {
        UnitExpr parsed;
        parseUnitExprThrows(unit.getDisplayString(), parsed);
        for (const auto& [name, exponent] : parsed.getReducedUnitExpr().getExpr()) {
            if (const UnitBase* found = firstSymbolOf(name)) {
                symbols.emplace_back(found->getSymbol());
            }
        }
    }
    sortUnique(symbols);
    count(unit.getSymbol(), symbols, UnitBase::isValidStringForUnitName(unit.getName()));
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitDatabase& database) {
    addDefinition(unit, [&database](const ustring& name) {
        const UnitBase* found = database.getFirstUnit(name).unit;
        if (found == nullptr && !database.isBuiltin()) {
            found = UnitDatabase::getBuiltinDatabase()->getFirstUnit(name).unit;
        }
        return found;
    });
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitDBSet& set) {
    // hasUnit with the default quantity and getUnit, resolved once.
    addDefinition(unit, [&set](const ustring& name) -> const UnitBase* {
        const UnitDBSet::UnitSet found = set.findUnit(name);
        return found.empty() ? nullptr : &found.begin()->get();
    });
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitAST& resolved) {
    // The entities outlive the call: their symbols need no copies.
    std::vector<std::u16string_view> symbols;
    symbols.reserve(resolved.getAST().size());
    for (const auto& [entity, exponent] : resolved.getAST()) {
        symbols.emplace_back(entity.get().getSymbol());
    }
    sortUnique(symbols);
    count(unit.getSymbol(), symbols, UnitBase::isValidStringForUnitName(unit.getName()));
}

void Whitelist::addSuggestionsHelper(const ustring& symbol, const std::set<ustring>& symbols,
                                     bool nameIsValid) {
    count(symbol, symbols, nameIsValid);
}

namespace {

// The entry of `key`, made only when it is missing.
template <typename Map> auto& entry(Map& map, std::u16string_view key) {
    if (const auto found = map.find(key); found != map.end()) {
        return found->second;
    }
    return map.try_emplace(ustring(key)).first->second;
}

} // namespace

template <typename Symbols>
void Whitelist::count(const ustring& symbol, const Symbols& symbols, bool nameIsValid) {
    for (const std::u16string_view s : symbols) {
        ++entry(occurrences_, s);
        auto& partners = entry(partners_, s);
        for (const std::u16string_view t : symbols) {
            if (t != s) {
                ++entry(partners, t);
            }
        }
    }
    if (!nameIsValid) {
        ++entry(occurrences_, symbol);
    }
}

void Whitelist::appendInformation(const EntitySet& completions, Information& info,
                                  const EntitySet& expressionEntities) const {
    if (expressionEntities.empty()) {
        return;
    }
    std::unordered_set<std::u16string_view> candidates;
    for (const UnitBase& completion : completions) {
        candidates.insert(completion.getSymbol());
    }
    Information local;
    for (const UnitBase& entity : expressionEntities) {
        const ustring& typed = entity.getSymbol();
        const auto partners = partners_.find(typed);
        if (partners == partners_.end()) {
            continue;
        }
        // Pairs are counted both ways, so the typed symbol's count is the candidate's.
        for (const auto& [candidate, pairCount] : partners->second) {
            if (!candidates.contains(candidate)) {
                continue;
            }
            auto& [count, occurrence] = local[candidate];
            count += pairCount;
            occurrence += getSymbolOccurrenceCountHelper(candidate);
        }
    }
    for (const auto& [symbol, counts] : local) {
        auto& [count, occurrence] = info[symbol];
        count += counts.first;
        occurrence += counts.second;
    }
}

std::int32_t Whitelist::getSymbolOccurrenceCount(const UnitBase& entity) const {
    return getSymbolOccurrenceCountHelper(entity.getSymbol());
}

std::int32_t Whitelist::getSymbolOccurrenceCountHelper(const ustring& symbol) const {
    const auto found = occurrences_.find(symbol);
    return found == occurrences_.end() ? 0 : found->second;
}

void Whitelist::clearAll() {
    partners_.clear();
    occurrences_.clear();
}

} // namespace CvUnitSys
