#include "units/query/Whitelist.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/model/UnitAST.hpp"

#include <algorithm>
#include <string_view>
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

Whitelist::Symbol& Whitelist::intern(std::u16string_view text) {
    if (const auto found = symbols_.find(text); found != symbols_.end()) {
        return found->second;
    }
    auto* copy =
        static_cast<char16_t*>(texts_->allocate(text.size() * sizeof(char16_t), alignof(char16_t)));
    std::copy(text.begin(), text.end(), copy);
    const auto index = static_cast<std::uint32_t>(symbols_.size());
    return symbols_.try_emplace(std::u16string_view(copy, text.size()), Symbol{index, 0})
        .first->second;
}

const Whitelist::Symbol* Whitelist::find(std::u16string_view text) const {
    const auto found = symbols_.find(text);
    return found == symbols_.end() ? nullptr : &found->second;
}

std::uint64_t Whitelist::pairKey(std::uint32_t a, std::uint32_t b) {
    const auto [low, high] = std::minmax(a, b);
    return (std::uint64_t{high} << 32U) | low;
}

template <typename Symbols>
void Whitelist::count(const ustring& symbol, const Symbols& symbols, bool nameIsValid) {
    std::vector<std::uint32_t> indexes;
    for (const std::u16string_view s : symbols) {
        Symbol& counted = intern(s);
        ++counted.occurrences;
        indexes.push_back(counted.index);
    }
    // Distinct symbols: each pair once.
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        for (std::size_t j = i + 1; j < indexes.size(); ++j) {
            ++pairCounts_[pairKey(indexes[i], indexes[j])];
        }
    }
    if (!nameIsValid) {
        ++intern(symbol).occurrences;
    }
}

void Whitelist::appendInformation(const EntitySet& completions, Information& info,
                                  const EntitySet& expressionEntities) const {
    if (expressionEntities.empty()) {
        return;
    }
    // Completions never counted in a definition can be no partner.
    std::unordered_map<std::u16string_view, const Symbol*> candidates;
    for (const UnitBase& completion : completions) {
        if (const Symbol* counted = find(completion.getSymbol())) {
            candidates.try_emplace(completion.getSymbol(), counted);
        }
    }
    Information local;
    for (const UnitBase& entity : expressionEntities) {
        const Symbol* typed = find(entity.getSymbol());
        if (typed == nullptr) {
            continue;
        }
        for (const auto& [candidate, counted] : candidates) {
            const auto pair = pairCounts_.find(pairKey(typed->index, counted->index));
            if (pair == pairCounts_.end()) {
                continue;
            }
            auto& [count, occurrence] = local[ustring(candidate)];
            count += pair->second;
            occurrence += counted->occurrences;
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
    const Symbol* counted = find(symbol);
    return counted == nullptr ? 0 : counted->occurrences;
}

void Whitelist::clearAll() {
    symbols_.clear();
    pairCounts_.clear();
    texts_->release();
}

} // namespace CvUnitSys
