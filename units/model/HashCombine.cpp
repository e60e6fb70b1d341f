#include "units/model/HashCombine.hpp"

#include <cstdint>

namespace CvUnitSys {

namespace {

std::uint64_t mix(std::uint64_t x) {
    constexpr std::uint64_t m = 0xe9846af9b1a615dULL;
    x ^= x >> 32;
    x *= m;
    x ^= x >> 32;
    x *= m;
    x ^= x >> 28;
    return x;
}

} // namespace

static_assert(sizeof(std::size_t) == sizeof(std::uint64_t), "entity hashes are 64-bit");

std::size_t hashCombine(std::size_t seed, std::size_t h) {
    return mix(seed + 0x9e3779b9ULL + h);
}

std::size_t hashText(std::u16string_view text) {
    std::size_t seed = 0;
    for (char16_t c : text) {
        seed = hashCombine(seed, c);
    }
    return seed;
}

} // namespace CvUnitSys
