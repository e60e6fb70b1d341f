#include "units/query/TextIdIndex.hpp"

#include "units/foundation/TextHash.hpp"

namespace CvUnitSys {

std::uint32_t TextIdIndex::hashOf(std::u16string_view text) {
    const std::size_t hash = textHash(text);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

void TextIdIndex::place(Slot slot) {
    std::size_t at = slot.hash & mask();
    while (slots_[at].id != noId) {
        at = (at + 1) & mask();
    }
    slots_[at] = slot;
}

bool TextIdIndex::grow() {
    if ((size_ + 1) * 4 <= slots_.size() * 3) {
        return false;
    }
    std::vector<Slot> old(slots_.size() * 2, Slot{0, noId});
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.id != noId) {
            place(slot);
        }
    }
    return true;
}

void TextIdIndex::insert(std::u16string_view text, std::int32_t id) {
    grow();
    place(Slot{hashOf(text), id});
    ++size_;
}

void TextIdIndex::erase(std::u16string_view text, std::int32_t id) {
    std::size_t hole = hashOf(text) & mask();
    while (slots_[hole].id != id) {
        if (slots_[hole].id == noId) {
            return;
        }
        hole = (hole + 1) & mask();
    }
    // Later slots of the run move into the hole unless that would put them
    // before their home slot.
    for (std::size_t at = (hole + 1) & mask(); slots_[at].id != noId; at = (at + 1) & mask()) {
        const std::size_t home = slots_[at].hash & mask();
        const bool homeInGap =
            hole < at ? (home > hole && home <= at) : (home > hole || home <= at);
        if (!homeInGap) {
            slots_[hole] = slots_[at];
            hole = at;
        }
    }
    slots_[hole] = Slot{0, noId};
    --size_;
}

} // namespace CvUnitSys
