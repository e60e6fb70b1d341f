#pragma once

#include "units/db/UnitDatabase.hpp"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <string_view>

namespace CvUnitSys {

// A database's first-unit answers for the texts asked first, at most
// `capacity` of them. Every symbol of every text read asks, so a read takes
// no lock: an answer is written whole before its slot is published, and stays
// unchanged while kept. Keeping and dropping take the lock. Dropping frees the
// answers, so, like any change to the database whose indexes readers walk
// without a lock, it must not run beside the database's look-ups.
class KeptFirstUnits {
public:
    using Answer = UnitDatabase::FirstUnit;
    static constexpr std::size_t capacity = UnitDatabase::maxRememberedFirstUnits;
    static constexpr std::size_t maxLength = UnitDatabase::maxRememberedTextLength;

    // A text as 64-bit words of four code units, the last one packed from
    // what is left: hashed and compared a word at a time, which for a few
    // code units beats a loop over each and a call of memcmp.
    class Key {
    public:
        // At most maxLength code units.
        explicit Key(std::u16string_view text) : length_(text.size()) {
            const char16_t* at = text.data();
            std::size_t left = text.size();
            std::uint64_t hash = left;
            std::size_t count = 0;
            for (; left >= 4; at += 4, left -= 4) {
                std::memcpy(&words_[count], at, sizeof(std::uint64_t));
                hash = mix(hash, words_[count++]);
            }
            if (left > 0) {
                std::uint64_t tail = 0;
                for (; left > 0; ++at, --left) {
                    tail = tail << 16 | *at;
                }
                words_[count] = tail;
                hash = mix(hash, tail);
            }
            hash_ = hash ^ hash >> 29;
        }
        std::size_t hash() const { return hash_; }
        bool operator==(const Key& other) const {
            if (hash_ != other.hash_ || length_ != other.length_) {
                return false;
            }
            for (std::size_t i = 0; i < (length_ + 3) / 4; ++i) {
                if (words_[i] != other.words_[i]) {
                    return false;
                }
            }
            return true;
        }

    private:
        static std::uint64_t mix(std::uint64_t hash, std::uint64_t word) {
            hash = (hash ^ word) * 0x9E3779B97F4A7C15ULL;
            return hash ^ hash >> 32;
        }
        // Read in this order, so they come first.
        std::size_t hash_ = 0;
        std::size_t length_;
        std::array<std::uint64_t, (maxLength + 3) / 4> words_{};
    };

    KeptFirstUnits() = default;
    ~KeptFirstUnits();
    KeptFirstUnits(const KeptFirstUnits&) = delete;
    KeptFirstUnits& operator=(const KeptFirstUnits&) = delete;

    // The answer kept for the key's text, or null.
    const Answer* find(const Key& key) const {
        const std::atomic<const Entry*>* slots = slots_.load(std::memory_order_acquire);
        if (slots == nullptr) {
            return nullptr;
        }
        for (std::size_t at = key.hash() & slotMask;; at = (at + 1) & slotMask) {
            const Entry* entry = slots[at].load(std::memory_order_acquire);
            if (entry == nullptr) {
                return nullptr;
            }
            if (entry->key == key) {
                return &entry->answer;
            }
        }
    }
    // Moves on at every drop: an answer worked out across one is not kept.
    std::uint64_t generation() const { return generation_.load(std::memory_order_acquire); }
    // Keeps the answer when no drop happened since `generation` was read and
    // there is room; a text kept already keeps its first answer.
    void keep(const Key& key, const Answer& answer, std::uint64_t generation);
    void clear();
    std::size_t size() const;

private:
    // A look-up reads the answer, the hash, the length and the first words of
    // the text: for texts of up to a dozen code units, one cache line.
    struct alignas(64) Entry {
        Answer answer;
        std::size_t slot;
        Key key;
    };
    // Twice the capacity, so that a probe meets an empty slot within a few steps.
    static constexpr std::size_t slotCount = 2 * capacity;
    static constexpr std::size_t slotMask = slotCount - 1;
    static_assert((slotCount & slotMask) == 0, "probes wrap with a mask");

    mutable std::mutex mutex_;
    // Made at the first answer kept: most user databases are never asked.
    std::atomic<std::atomic<const Entry*>*> slots_{nullptr};
    // Entries stay where they are made until dropped.
    std::deque<Entry> entries_;
    std::atomic<std::uint64_t> generation_{0};
};

} // namespace CvUnitSys
