#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace CvUnitSys {

// FNV-1a over the code units. Keys and symbols are a few code units long:
// inlined, this costs less than the library's general byte hash. The high
// bits are folded in for tables that pick buckets by the low ones.
inline std::size_t textHash(std::u16string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char16_t c : text) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

// textHash for unordered containers keyed by texts: with TextEqual, they are
// looked up by a view, without a copy of it.
struct TextKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view text) const { return textHash(text); }
};

} // namespace CvUnitSys
