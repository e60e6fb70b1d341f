#pragma once

// The unit table's entries, found by id, shared by the files that implement
// the table.

#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace CvUnitSys::unittable {

// The mixed unit's text and key, which the index leaves out: no text that is
// registered finds that unit.
inline const ustring mixedText = u"mixed";

// An entry's id is its unit's: the table keeps no copy of it.
std::int32_t idOf(const auto& entry) {
    return entry.unit()->getId();
}

// The first entry whose id is not below `id`.
template <typename Units> auto lowerBound(Units& units, std::int32_t id) {
    return std::lower_bound(units.begin(), units.end(), id,
                            [](const auto& entry, std::int32_t i) { return idOf(entry) < i; });
}

// The entry of the id, or null. Ids are handed out in order and seldom
// retired, so an entry usually sits as far from the first as its id: one
// compare instead of a search.
template <typename Units> auto* findEntry(Units& units, std::int32_t id) {
    if (!units.empty()) {
        const std::int64_t offset = std::int64_t{id} - idOf(units.front());
        if (offset >= 0 && offset < static_cast<std::int64_t>(units.size())) {
            auto* guess = units.data() + offset;
            if (idOf(*guess) == id) {
                return guess;
            }
        }
    }
    const auto at = lowerBound(units, id);
    return at != units.end() && idOf(*at) == id ? &*at : nullptr;
}

// As findEntry, for ids the caller knows are there.
template <typename Units> auto& entryAt(Units& units, std::int32_t id) {
    auto* found = findEntry(units, id);
    if (found == nullptr) {
        throw std::out_of_range("UnitTable: no unit of that id");
    }
    return *found;
}

// The unit of the id; "InvalidUnitId" when there is none. One look-up for the
// check and the unit: hosts ask by id all the time.
template <typename Units> const UnitBase& checkedUnit(const Units& units, std::int32_t id) {
    const auto* found = findEntry(units, id);
    if (found == nullptr) {
        throwUnitMsg("InvalidUnitId", {std::int64_t{id}});
    }
    return *found->unit();
}

} // namespace CvUnitSys::unittable
