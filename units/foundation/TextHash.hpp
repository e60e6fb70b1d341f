#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace CvUnitSys {

// Four code units at a time, one multiply each: keys and symbols are a few
// code units long, and inlined this costs a fraction of the library's
// general byte hash. The high bits are folded in for tables that pick
// buckets by the low ones.
inline std::size_t textHash(std::u16string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const char16_t* at = text.data();
    std::size_t left = text.size();
    std::uint64_t h = left;
    for (; left >= 4; at += 4, left -= 4) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof(word));
        h = (h ^ word) * kMultiplier;
        h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    for (; left > 0; ++at, --left) {
        tail = tail << 16 | *at;
    }
    h = (h ^ tail) * kMultiplier;
    return static_cast<std::size_t>(h ^ h >> 29);
}

// textHash for unordered containers keyed by texts: with TextEqual, they are
// looked up by a view, without a copy of it.
struct TextKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view text) const { return textHash(text); }
};

} // namespace CvUnitSys
