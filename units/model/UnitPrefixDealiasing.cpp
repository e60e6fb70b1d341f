#include "units/model/UnitPrefixDealiasing.hpp"

#include "units/model/UnitPrefixAlias.hpp"

namespace CvUnitSys {

const UnitPrefix& dealiasedPrefix(const UnitPrefix& prefix) {
    if (prefix.isAliased()) {
        if (const auto* alias = dynamic_cast<const UnitPrefixAlias*>(&prefix)) {
            return alias->getRefUnitPrefix();
        }
    }
    return prefix;
}

} // namespace CvUnitSys
