#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace CvUnitSys {

// Ids by text, for texts that live elsewhere: a slot is an id and its text's
// hash, eight bytes, where a node-based map spends a node and a bucket on each.
// The caller hands in each id's text when a hash matches. Linear probing, and
// erasing shifts the run back, so no slot is ever a tombstone.
class TextIdIndex {
public:
    static constexpr std::int32_t noId = INT32_MIN;

    // What the index files a text under: a caller that looks a text up and
    // then indexes it hashes it once.
    static std::uint32_t hashOf(std::u16string_view text);

    // noId when absent; `textOf(id)` gives the text an indexed id stands for.
    template <typename TextOf>
    std::int32_t find(std::u16string_view text, const TextOf& textOf) const {
        return find(text, hashOf(text), textOf);
    }
    template <typename TextOf>
    std::int32_t find(std::u16string_view text, std::uint32_t hash, const TextOf& textOf) const {
        for (std::size_t at = hash & mask(); slots_[at].id != noId; at = (at + 1) & mask()) {
            if (slots_[at].hash == hash && textOf(slots_[at].id) == text) {
                return slots_[at].id;
            }
        }
        return noId;
    }
    // The text must not be indexed yet.
    void insert(std::u16string_view text, std::int32_t id);
    // Indexes the id under the text unless the text is indexed already, with
    // one look-up for both; false when it was. `hash` is hashOf(text).
    template <typename TextOf>
    bool insertIfAbsent(std::u16string_view text, std::uint32_t hash, std::int32_t id,
                        const TextOf& textOf) {
        std::size_t at = hash & mask();
        for (; slots_[at].id != noId; at = (at + 1) & mask()) {
            if (slots_[at].hash == hash && textOf(slots_[at].id) == text) {
                return false;
            }
        }
        if (grow()) {
            place(Slot{hash, id});
        } else {
            slots_[at] = Slot{hash, id};
        }
        ++size_;
        return true;
    }
    // The id must be indexed under this text.
    void erase(std::u16string_view text, std::int32_t id);

private:
    struct Slot {
        std::uint32_t hash;
        std::int32_t id;
    };
    std::size_t mask() const { return slots_.size() - 1; }
    void place(Slot slot);
    // Doubles the slots when one more would make them more than three quarters
    // full, which keeps runs short; true when it did.
    bool grow();

    static constexpr std::size_t firstSlots = 8;
    std::vector<Slot> slots_ = std::vector<Slot>(firstSlots, Slot{0, noId});
    std::size_t size_ = 0;
};

} // namespace CvUnitSys
