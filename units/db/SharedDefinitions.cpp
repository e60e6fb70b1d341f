#include "units/db/SharedDefinitions.hpp"

#include <mutex>

namespace CvUnitSys {

const UnitDefinition* SharedDefinitions::find(const UnitBase& entity) const {
    std::shared_lock lock(mutex_);
    const auto found = definitions_.find(&entity);
    return found == definitions_.end() ? nullptr : &found->second;
}

void SharedDefinitions::find(std::span<const UnitBase* const> entities,
                             std::span<const UnitDefinition*> out) const {
    std::shared_lock lock(mutex_);
    for (std::size_t i = 0; i < entities.size(); ++i) {
        const auto found =
            entities[i] != nullptr ? definitions_.find(entities[i]) : definitions_.end();
        out[i] = found == definitions_.end() ? nullptr : &found->second;
    }
}

const UnitDefinition& SharedDefinitions::add(const UnitBase& entity,
                                             const UnitDefinition& definition) {
    std::unique_lock lock(mutex_);
    empty_ = false;
    return definitions_
        .try_emplace(&entity, definition.getUnitAST(), definition.getFundamentalAST(),
                     definition.getConversionFactor(), definition.getFundamentalConversionFactor(),
                     definition.isGenerated())
        .first->second;
}

void SharedDefinitions::clear() {
    if (empty_) {
        return;
    }
    std::unique_lock lock(mutex_);
    definitions_.clear();
    empty_ = true;
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

std::size_t SharedDefinitions::size() const {
    std::shared_lock lock(mutex_);
    return definitions_.size();
}

} // namespace CvUnitSys
