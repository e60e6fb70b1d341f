#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"
#include "units/query/AutoCompleteImpl.hpp"
#include "units/query/Whitelist.hpp"

#include <cstdint>
#include <map>
#include <set>
#include <unordered_set>

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
    const AutoCompleteImpl* indexFor(UnitBase::UnitType type) const;

    AutoCompleteImpl units_;
    AutoCompleteImpl physicalQuantities_;
    AutoCompleteImpl prefixes_;
    Whitelist whitelist_;
    std::unordered_set<const UnitBase*> indexed_;
};

} // namespace CvUnitSys
