#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"
#include "units/query/AutoCompleteImpl.hpp"

#include <set>
#include <unordered_set>

namespace CvUnitSys {

class UnitPrefix;

// The completion indexes of one database: units, physical quantities and
// prefixes, the last in prefix mode so that a typed word finds the prefixes it
// starts with.
class AutoComplete {
public:
    AutoComplete();

    // A unit goes into the unit index, anything else into the quantity index.
    void addInformation(const UnitBase& entity);
    void addInformation(const UnitPrefix& prefix);
    bool containsUnit(const UnitBase* entity) const;
    // Completions in the index for `type`; a type without index gives none.
    std::set<ustring> getAutoCompleteSuggestions(const ustring& text,
                                                 UnitBase::UnitType type) const;
    void clearAll();

private:
    const AutoCompleteImpl* indexFor(UnitBase::UnitType type) const;

    AutoCompleteImpl units_;
    AutoCompleteImpl physicalQuantities_;
    AutoCompleteImpl prefixes_;
    std::unordered_set<const UnitBase*> indexed_;
};

} // namespace CvUnitSys
