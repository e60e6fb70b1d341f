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
    addWord(index, entity.getName(), true);
    addWord(index, entity.getSymbol(), false);
    if (entity.getAsciiSymbol() != entity.getSymbol()) {
        addWord(index, entity.getAsciiSymbol(), false);
    }
    indexed_.insert(&entity);
}

void AutoComplete::addInformation(const UnitPrefix& prefix) {
    addWord(prefixes_, prefix.getName(), true);
    addWord(prefixes_, prefix.getSymbol(), false);
    if (prefix.getAsciiSymbol() != prefix.getSymbol()) {
        addWord(prefixes_, prefix.getAsciiSymbol(), false);
    }
}

void AutoComplete::addWord(AutoCompleteImpl& index, std::u16string_view word, bool isName) {
    const std::lock_guard guard(pendingMutex_);
    pending_.push_back({&index, static_cast<std::uint32_t>(pendingText_.size()),
                        static_cast<std::uint32_t>(word.size()), isName});
    pendingText_ += word;
    hasPending_.store(true, std::memory_order_release);
}

void AutoComplete::indexPendingWords() const {
    if (!hasPending_.load(std::memory_order_acquire)) {
        return;
    }
    const std::lock_guard guard(pendingMutex_);
    for (const PendingWord& pending : pending_) {
        const ustring word = pendingText_.substr(pending.start, pending.length);
        if (pending.isName) {
            pending.index->addName(word);
        } else {
            pending.index->addSymbol(word);
        }
    }
    pending_ = {};
    pendingText_ = {};
    hasPending_.store(false, std::memory_order_release);
}

bool AutoComplete::containsUnit(const UnitBase* entity) const {
    return indexed_.contains(entity);
}

const AutoCompleteImpl* AutoComplete::indexFor(UnitBase::UnitType type) const {
    indexPendingWords();
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

void AutoComplete::appendAutoCompleteSuggestions(const ustring& text, UnitBase::UnitType type,
                                                 std::vector<const ustring*>& out) const {
    if (const AutoCompleteImpl* index = indexFor(type)) {
        index->appendAutoCompleteList(text, out);
    }
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
    {
        const std::lock_guard guard(pendingMutex_);
        pending_ = {};
        pendingText_ = {};
        hasPending_.store(false, std::memory_order_release);
    }
    units_ = AutoCompleteImpl(false);
    physicalQuantities_ = AutoCompleteImpl(false);
    prefixes_ = AutoCompleteImpl(true);
    whitelist_.clearAll();
    indexed_.clear();
}

} // namespace CvUnitSys
