#pragma once

#include <cstdint>

namespace CvUnitSys {

// A multiplicative hash of an object's address, for tables keyed by identity:
// the low bits of aligned addresses are all alike, so a slot among a power of
// two is taken from the top bits, which the multiply mixes best.
inline std::uint64_t addressHash(const void* address) {
    constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) * kGolden;
}

} // namespace CvUnitSys
