#include "units/db/UnitDatabase.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/query/AutoComplete.hpp"

#include <algorithm>

namespace CvUnitSys {

void UnitDatabase::appendAutoCompleteSuggestions(UnitSet& completions, const ustring& text,
                                                 UnitBase::UnitType type) const {
    if (text.empty() && type == UnitBase::UNIT_TYPE_UNIT) {
        appendKeptCompletions(text, completions, [this](UnitSet& every) {
            collectAutoCompleteSuggestions(every, u"", UnitBase::UNIT_TYPE_UNIT);
        });
        return;
    }
    collectAutoCompleteSuggestions(completions, text, type);
}

void UnitDatabase::collectAutoCompleteSuggestions(UnitSet& completions, const ustring& text,
                                                  UnitBase::UnitType type) const {
    // Words are looked up straight into the result, without copies or
    // intermediate sets: typing one letter can complete to every unit.
    const AutoComplete& index = autoComplete();
    std::vector<const ustring*> words;
    index.appendAutoCompleteSuggestions(text, type, words);
    if (type != UnitBase::UNIT_TYPE_UNIT) {
        for (const ustring* word : words) {
            collectPhysicalQuantities(*word, completions);
        }
        return;
    }
    for (const ustring* word : words) {
        collectUnits(*word, completions);
    }
    std::vector<const ustring*> prefixes;
    index.appendAutoCompleteSuggestions(text, UnitBase::UNIT_TYPE_PREFIX, prefixes);
    std::sort(prefixes.begin(), prefixes.end(),
              [](const ustring* a, const ustring* b) { return *a < *b; });
    prefixes.erase(std::unique(prefixes.begin(), prefixes.end(),
                               [](const ustring* a, const ustring* b) { return *a == *b; }),
                   prefixes.end());
    ustring composed;
    for (const ustring* prefix : prefixes) {
        const auto combine = [&](UnitSet& out) {
            words.clear();
            index.appendAutoCompleteSuggestions(text.substr(prefix->size()), type, words);
            for (const ustring* unit : words) {
                composed.assign(*prefix).append(*unit);
                collectUnits(composed, out);
            }
        };
        if (text.size() == prefix->size()) {
            // The prefix before every unit word: the same for every query.
            appendKeptCompletions(*prefix, completions, combine);
        } else if (text.size() > prefix->size()) {
            combine(completions);
        } else {
            // The prefix is still being typed: offer it alone, on the dummy unit.
            for (const UnitPrefix& found : getUnitPrefix(*prefix)) {
                completions.insert(getCompositeUnit(found, UnitFactory::getDummyUnit()));
            }
        }
    }
}

void UnitDatabase::appendApproximateSuggestion(const ustring& text,
                                               std::map<ustring, std::int32_t>& distances,
                                               std::map<ustring, std::int32_t>& occurrences,
                                               UnitBase::UnitType type) const {
    constexpr std::int32_t maxDistance = 2;
    const AutoComplete& index = autoComplete();
    index.appendApproximateSuggestions(text, type, distances, maxDistance);
    if (type != UnitBase::UNIT_TYPE_UNIT) {
        return;
    }
    std::map<ustring, std::int32_t> prefixes;
    index.appendApproximateSuggestions(text, UnitBase::UNIT_TYPE_PREFIX, prefixes, maxDistance);
    for (const auto& [prefix, prefixDistance] : prefixes) {
        if (text.size() <= prefix.size()) {
            continue;
        }
        std::map<ustring, std::int32_t> units;
        index.appendApproximateSuggestions(text.substr(prefix.size()), type, units,
                                           maxDistance - prefixDistance);
        for (const auto& [unit, unitDistance] : units) {
            if (getFirstUnit(prefix + unit).unit != nullptr) {
                distances[prefix + unit] = prefixDistance + unitDistance;
            }
        }
    }
    for (const auto& [word, distance] : distances) {
        if (const UnitBase* unit = getFirstUnit(word).unit) {
            if (const std::int32_t count = index.getSymbolOccurenceCount(*unit); count != 0) {
                occurrences[word] += count;
            }
        }
    }
}

void UnitDatabase::appendWhiteListInformation(const UnitSet& completions,
                                              Whitelist::Information& info,
                                              const UnitSet& expressionEntities) const {
    autoComplete().appendWhitelistInformation(completions, info, expressionEntities);
}

} // namespace CvUnitSys
