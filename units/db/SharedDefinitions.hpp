#pragma once

#include "units/model/UnitASTPool.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitDefinition.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <shared_mutex>
#include <span>
#include <vector>

namespace CvUnitSys {

// Definitions of one database's own entities that every database set may
// read. A set that resolves names in the built-in database alone generates
// what any other set would, since that database is searched first; sharing
// spares each new set from generating them again. Entries never change once
// added, so readers keep what they found; the owner drops them all whenever
// its content changes. At most one entry per entity of the owner.
class SharedDefinitions {
public:
    // Null when the entity has none.
    const UnitDefinition* find(const UnitBase& entity) const;
    // Each entity's, or null, under one lock: a definition's parts and their
    // quantities are asked for together.
    void find(std::span<const UnitBase* const> entities,
              std::span<const UnitDefinition*> out) const;
    // The entity's shared definition: the given one when it is the first.
    const UnitDefinition& add(const UnitBase& entity, const UnitDefinition& definition);
    void clear();
    std::size_t size() const;
    // Moves on whenever entries are dropped: a reader that kept what it found
    // knows by this whether it still holds.
    std::uint64_t generation() const { return generation_.load(std::memory_order_acquire); }

private:
    // Every registered text reads its parts' definitions, which the texts
    // between two uses evict: a definition on a cache line of its own costs
    // one miss, and the many that share a dimension share its block.
    struct alignas(64) Stored {
        UnitDefinition definition;
    };
    // Open addressing by the entity's address, at most half full: a look-up
    // reads one slot where a node map reads a bucket and two nodes.
    struct Slot {
        const UnitBase* entity = nullptr;
        const UnitDefinition* definition = nullptr;
    };
    // The entity's slot, or the empty one where it would go.
    std::size_t indexOf(const UnitBase& entity) const;
    void grow();

    mutable std::shared_mutex mutex_;
    // Stays where it is as entries come: readers keep what they found.
    std::deque<Stored> stored_;
    std::vector<Slot> slots_;
    // Slots are picked by the top bits of a multiplicative hash.
    unsigned shift_ = 64;
    UnitASTPool fundamentalASTs_;
    // Whether there is anything to drop: a load changes the database once per
    // entry, before anyone reads.
    std::atomic<bool> empty_{true};
    std::atomic<std::uint64_t> generation_{0};
};

} // namespace CvUnitSys
