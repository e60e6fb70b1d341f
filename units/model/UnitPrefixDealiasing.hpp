#pragma once

#include "units/model/UnitPrefix.hpp"

#include <cstddef>
#include <functional>

namespace CvUnitSys {

// The prefix an alias names, or the prefix itself.
const UnitPrefix& dealiasedPrefix(const UnitPrefix& prefix);

// Orders prefixes by what they stand for, so an alias and its prefix are one key.
struct ConstRefUnitPrefixDealiasedComparator {
    bool operator()(std::reference_wrapper<const UnitPrefix> a,
                    std::reference_wrapper<const UnitPrefix> b) const {
        return dealiasedPrefix(a.get()).compare(dealiasedPrefix(b.get())) < 0;
    }
};

struct UnitPrefixDealiasedEqualTo {
    bool operator()(const UnitPrefix& a, const UnitPrefix& b) const {
        return dealiasedPrefix(a).compare(dealiasedPrefix(b)) == 0;
    }
};

struct UnitPrefixDealiasedHash {
    std::size_t operator()(const UnitPrefix& prefix) const {
        return std::hash<ustring>{}(dealiasedPrefix(prefix).getName());
    }
};

} // namespace CvUnitSys
