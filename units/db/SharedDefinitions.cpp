#include "units/db/SharedDefinitions.hpp"

#include "units/foundation/AddressHash.hpp"

#include <algorithm>
#include <bit>
#include <mutex>
#include <utility>

namespace CvUnitSys {

std::size_t SharedDefinitions::indexOf(const UnitBase& entity) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = addressHash(&entity) >> shift_;; i = (i + 1) & mask) {
        if (slots_[i].entity == &entity || slots_[i].entity == nullptr) {
            return i;
        }
    }
}

void SharedDefinitions::grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
    old.swap(slots_);
    shift_ = 64 - static_cast<unsigned>(std::countr_zero(slots_.size()));
    for (const Slot& slot : old) {
        if (slot.entity != nullptr) {
            slots_[indexOf(*slot.entity)] = slot;
        }
    }
}

const UnitDefinition* SharedDefinitions::find(const UnitBase& entity) const {
    std::shared_lock lock(mutex_);
    return slots_.empty() ? nullptr : slots_[indexOf(entity)].definition;
}

void SharedDefinitions::find(std::span<const UnitBase* const> entities,
                             std::span<const UnitDefinition*> out) const {
    std::shared_lock lock(mutex_);
    for (std::size_t i = 0; i < entities.size(); ++i) {
        out[i] = entities[i] != nullptr && !slots_.empty()
                     ? slots_[indexOf(*entities[i])].definition
                     : nullptr;
    }
}

const UnitDefinition& SharedDefinitions::add(const UnitBase& entity,
                                             const UnitDefinition& definition) {
    std::unique_lock lock(mutex_);
    if (!slots_.empty()) {
        if (const UnitDefinition* found = slots_[indexOf(entity)].definition) {
            return *found;
        }
    }
    UnitDefinition kept(definition.getUnitAST(), definition.getFundamentalAST(),
                        definition.getConversionFactor(),
                        definition.getFundamentalConversionFactor(), definition.isGenerated());
    kept.compact(fundamentalASTs_);
    if (2 * (stored_.size() + 1) > slots_.size()) {
        grow();
    }
    empty_ = false;
    const UnitDefinition& stored = stored_.emplace_back(Stored{std::move(kept)}).definition;
    slots_[indexOf(entity)] = {&entity, &stored};
    return stored;
}

void SharedDefinitions::clear() {
    if (empty_) {
        return;
    }
    std::unique_lock lock(mutex_);
    slots_ = {};
    stored_.clear();
    fundamentalASTs_.clear();
    empty_ = true;
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

std::size_t SharedDefinitions::size() const {
    std::shared_lock lock(mutex_);
    return stored_.size();
}

} // namespace CvUnitSys
