#include "units/db/KeptFirstUnits.hpp"

namespace CvUnitSys {

KeptFirstUnits::~KeptFirstUnits() {
    delete[] slots_.load(std::memory_order_relaxed);
}

void KeptFirstUnits::keep(const Key& key, const Answer& answer, std::uint64_t generation) {
    std::lock_guard guard(mutex_);
    // Once full, the answers kept are those of the texts seen first.
    if (generation != generation_.load(std::memory_order_relaxed) || entries_.size() >= capacity) {
        return;
    }
    std::atomic<const Entry*>* slots = slots_.load(std::memory_order_relaxed);
    if (slots == nullptr) {
        slots = new std::atomic<const Entry*>[slotCount] {};
        slots_.store(slots, std::memory_order_release);
    }
    std::size_t at = key.hash() & slotMask;
    for (; const Entry* entry = slots[at].load(std::memory_order_relaxed);
         at = (at + 1) & slotMask) {
        if (entry->key == key) {
            return;
        }
    }
    const Entry& entry = entries_.emplace_back(Entry{answer, at, key});
    slots[at].store(&entry, std::memory_order_release);
}

void KeptFirstUnits::clear() {
    std::lock_guard guard(mutex_);
    generation_.fetch_add(1, std::memory_order_release);
    // Loads come through here for every entity: an empty table is left as it is.
    if (entries_.empty()) {
        return;
    }
    std::atomic<const Entry*>* slots = slots_.load(std::memory_order_relaxed);
    for (const Entry& entry : entries_) {
        slots[entry.slot].store(nullptr, std::memory_order_relaxed);
    }
    entries_.clear();
}

std::size_t KeptFirstUnits::size() const {
    std::lock_guard guard(mutex_);
    return entries_.size();
}

} // namespace CvUnitSys
