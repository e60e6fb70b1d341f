#pragma once

#include "units/query/Whitelist.hpp"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace CvUnitSys {

class UnitBase;
class UnitDatabase;

// What a table's copy of a built-in unit is checked for, which is the same in
// every set that holds the built-in database alone: that it passes isValid,
// and the units its definition names, which the whitelist counts. Worked out
// at the first copy of the unit and kept for the state of the database it was
// worked out in, named by the generation of its shared definitions, which
// moves with every change. Sets of every thread share it.
class CopiedUnitFacts {
public:
    // At most this many units are kept; one more starts over.
    static constexpr std::size_t maxUnits = 2048;

    static CopiedUnitFacts& instance();

    // Whether the unit passed in that state, and then its parts.
    bool find(const UnitBase& unit, const UnitDatabase& database, std::uint64_t generation,
              Whitelist::Parts& parts) const;
    // The unit passed in that state; a later state forgets every unit kept.
    void store(const UnitBase& unit, const UnitDatabase& database, std::uint64_t generation,
               const Whitelist::Parts& parts);
    std::size_t size() const;

private:
    mutable std::mutex lock_;
    const UnitDatabase* database_ = nullptr;
    std::uint64_t generation_ = 0;
    std::unordered_map<const UnitBase*, Whitelist::Parts> units_;
};

} // namespace CvUnitSys
