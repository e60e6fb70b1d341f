#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"
#include "units/query/AutoCompleteImpl.hpp"
#include "units/query/Whitelist.hpp"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <unordered_set>
#include <vector>

namespace CvUnitSys {

class UnitDatabase;
class UnitPrefix;

// The completion indexes of one database: units, physical quantities and
// prefixes, the last in prefix mode so that a typed word finds the prefixes it
// starts with; and the whitelist of symbols that the database's unit
// definitions use together.
class AutoComplete {
public:
    AutoComplete();

    // A unit goes into the unit index and the whitelist, anything else into
    // the quantity index. A unit definition that does not parse throws.
    void addInformation(const UnitBase& entity, const UnitDatabase& database);
    void addInformation(const UnitPrefix& prefix);
    bool containsUnit(const UnitBase* entity) const;
    // Completions in the index for `type` (exact case); a type without index gives none.
    std::set<ustring> getAutoCompleteSuggestions(const ustring& text,
                                                 UnitBase::UnitType type) const;
    // The same words unsorted, possibly repeated and not copied, for callers
    // that only look each one up; they stay valid until the index changes.
    void appendAutoCompleteSuggestions(const ustring& text, UnitBase::UnitType type,
                                       std::vector<const ustring*>& out) const;
    // Case-insensitive matches within `maxDistance` edits in the index for `type`.
    void appendApproximateSuggestions(const ustring& text, UnitBase::UnitType type,
                                      std::map<ustring, std::int32_t>& distances,
                                      std::int32_t maxDistance) const;
    std::int32_t getSymbolOccurenceCount(const UnitBase& entity) const;
    void appendWhitelistInformation(const Whitelist::EntitySet& completions,
                                    Whitelist::Information& info,
                                    const Whitelist::EntitySet& expressionEntities) const;
    void clearAll();

private:
    // A word waiting for its index: most processes load a database and never
    // complete a word, so the indexes are built on the first question. The
    // words wait in one text, since a load adds thousands of short ones.
    struct PendingWord {
        AutoCompleteImpl* index;
        std::uint32_t start;
        std::uint32_t length;
        bool isName;
    };

    const AutoCompleteImpl* indexFor(UnitBase::UnitType type) const;
    void addWord(AutoCompleteImpl& index, std::u16string_view word, bool isName);
    // Puts the pending words into their indexes; safe from several readers at once.
    void indexPendingWords() const;

    mutable AutoCompleteImpl units_;
    mutable AutoCompleteImpl physicalQuantities_;
    mutable AutoCompleteImpl prefixes_;
    Whitelist whitelist_;
    std::unordered_set<const UnitBase*> indexed_;
    mutable std::vector<PendingWord> pending_;
    mutable ustring pendingText_;
    mutable std::atomic<bool> hasPending_{false};
    mutable std::mutex pendingMutex_;
};

} // namespace CvUnitSys
