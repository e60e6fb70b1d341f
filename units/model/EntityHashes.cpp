#include "units/model/EntityHashes.hpp"

#include "units/model/HashCombine.hpp"
#include "units/model/PhysicalQuantity.hpp"
#include "units/model/Unit.hpp"

namespace CvUnitSys {

namespace {

std::size_t hashNames(const UnitBase& entity) {
    std::size_t seed = 0;
    seed = hashCombine(seed, hashText(entity.getName()));
    seed = hashCombine(seed, hashText(entity.getSymbol()));
    return hashCombine(seed, hashText(entity.getAsciiSymbol()));
}

} // namespace

std::size_t UnitHash::operator()(const Unit& unit) const {
    return hashCombine(hashNames(unit), hashText(unit.getSubUnit()));
}

std::size_t PhysicalQuantityHash::operator()(const PhysicalQuantity& quantity) const {
    return hashNames(quantity);
}

} // namespace CvUnitSys
