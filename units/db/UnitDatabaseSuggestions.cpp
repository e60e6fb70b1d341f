#include "units/db/UnitDatabase.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/query/AutoComplete.hpp"

namespace CvUnitSys {

void UnitDatabase::appendAutoCompleteSuggestions(UnitSet& completions, const ustring& text,
                                                 UnitBase::UnitType type) const {
    const AutoComplete& index = autoComplete();
    const std::set<ustring> words = index.getAutoCompleteSuggestions(text, type);
    if (type != UnitBase::UNIT_TYPE_UNIT) {
        for (const ustring& word : words) {
            completions.merge(getPhysicalQuantity(word));
        }
        return;
    }
    for (const ustring& word : words) {
        completions.merge(getUnit(word));
    }
    for (const ustring& prefix :
         index.getAutoCompleteSuggestions(text, UnitBase::UNIT_TYPE_PREFIX)) {
        if (text.size() >= prefix.size()) {
            const ustring rest = text.substr(prefix.size());
            for (const ustring& unit : index.getAutoCompleteSuggestions(rest, type)) {
                completions.merge(getUnit(prefix + unit));
            }
        } else {
            // The prefix is still being typed: offer it alone, on the dummy unit.
            for (const UnitPrefix& found : getUnitPrefix(prefix)) {
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
