#include "units/db/CopiedUnitFacts.hpp"

namespace CvUnitSys {

CopiedUnitFacts& CopiedUnitFacts::instance() {
    static CopiedUnitFacts facts;
    return facts;
}

bool CopiedUnitFacts::find(const UnitBase& unit, const UnitDatabase& database,
                           std::uint64_t generation, Whitelist::Parts& parts) const {
    const std::lock_guard guard(lock_);
    if (database_ != &database || generation_ != generation) {
        return false;
    }
    const auto found = units_.find(&unit);
    if (found == units_.end()) {
        return false;
    }
    parts = found->second;
    return true;
}

void CopiedUnitFacts::store(const UnitBase& unit, const UnitDatabase& database,
                            std::uint64_t generation, const Whitelist::Parts& parts) {
    const std::lock_guard guard(lock_);
    // The units of another state may be gone, and their addresses reused.
    if (database_ != &database || generation_ != generation || units_.size() >= maxUnits) {
        units_.clear();
        database_ = &database;
        generation_ = generation;
    }
    units_.insert_or_assign(&unit, parts);
}

std::size_t CopiedUnitFacts::size() const {
    const std::lock_guard guard(lock_);
    return units_.size();
}

} // namespace CvUnitSys
