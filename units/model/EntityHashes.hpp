#pragma once

#include <cstddef>

namespace CvUnitSys {

class PhysicalQuantity;
class Unit;

// Hashes that agree with `compare` on the texts they cover (see HashCombine.hpp).
struct UnitHash {
    // Name, symbol, ASCII symbol, sub-unit.
    std::size_t operator()(const Unit& unit) const;
};

struct PhysicalQuantityHash {
    // Name, symbol, ASCII symbol.
    std::size_t operator()(const PhysicalQuantity& quantity) const;
};

} // namespace CvUnitSys
