#include "units/query/AutoComplete.hpp"

#include "units/model/UnitPrefix.hpp"

namespace CvUnitSys {

AutoComplete::AutoComplete() : units_(false), physicalQuantities_(false), prefixes_(true) {}

void AutoComplete::addInformation(const UnitBase& entity, const UnitDatabase& database) {
    const bool unit = entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT;
    if (unit) {
        whitelist_.addSuggestions(entity, database);
    }
    AutoCompleteImpl& index = unit ? units_ : physicalQuantities_;
    index.addName(entity.getName());
    index.addSymbol(entity.getSymbol());
    if (entity.getAsciiSymbol() != entity.getSymbol()) {
        index.addSymbol(entity.getAsciiSymbol());
    }
    indexed_.insert(&entity);
}

void AutoComplete::addInformation(const UnitPrefix& prefix) {
    prefixes_.addName(prefix.getName());
    prefixes_.addSymbol(prefix.getSymbol());
    if (prefix.getAsciiSymbol() != prefix.getSymbol()) {
        prefixes_.addSymbol(prefix.getAsciiSymbol());
    }
}

bool AutoComplete::containsUnit(const UnitBase* entity) const {
    return indexed_.contains(entity);
}

const AutoCompleteImpl* AutoComplete::indexFor(UnitBase::UnitType type) const {
    switch (type) {
    case UnitBase::UNIT_TYPE_UNIT:
        return &units_;
    case UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY:
        return &physicalQuantities_;
    case UnitBase::UNIT_TYPE_PREFIX:
        return &prefixes_;
    default:
        return nullptr;
    }
}

std::set<ustring> AutoComplete::getAutoCompleteSuggestions(const ustring& text,
                                                           UnitBase::UnitType type) const {
    const AutoCompleteImpl* index = indexFor(type);
    return index ? index->getAutoCompleteList(text) : std::set<ustring>{};
}

void AutoComplete::appendApproximateSuggestions(const ustring& text, UnitBase::UnitType type,
                                                std::map<ustring, std::int32_t>& distances,
                                                std::int32_t maxDistance) const {
    if (const AutoCompleteImpl* index = indexFor(type)) {
        index->appendApproximateSuggestions(text, distances, maxDistance);
    }
}

std::int32_t AutoComplete::getSymbolOccurenceCount(const UnitBase& entity) const {
    return whitelist_.getSymbolOccurrenceCount(entity);
}

void AutoComplete::appendWhitelistInformation(
    const Whitelist::EntitySet& completions, Whitelist::Information& info,
    const Whitelist::EntitySet& expressionEntities) const {
    whitelist_.appendInformation(completions, info, expressionEntities);
}

void AutoComplete::clearAll() {
    units_ = AutoCompleteImpl(false);
    physicalQuantities_ = AutoCompleteImpl(false);
    prefixes_ = AutoCompleteImpl(true);
    whitelist_.clearAll();
    indexed_.clear();
}

} // namespace CvUnitSys
