#pragma once

#include "units/foundation/UString.hpp"

namespace CvUnitSys {

// A named family of units and prefixes; shared between the entities that
// belong to it.
class UnitSystem {
public:
    // Reserved for "every system" in queries, never a system's name.
    static const ustring ALL_UNIT_SYSTEMS;

    // Throws "CorvaneTypes:Unit:InvalidUnitSystemName" for a name that
    // isValidStringForUnitSystemName rejects.
    explicit UnitSystem(const ustring& name);
    UnitSystem(const UnitSystem&) = default;
    UnitSystem& operator=(const UnitSystem&) = default;
    virtual ~UnitSystem() = default;

    virtual const ustring& getName() const { return name_; }

    // Not "all", printable characters only, no comma; the empty name is valid.
    static bool isValidStringForUnitSystemName(const ustring& name);
    // True when the built-in database has a system of that name.
    static bool isValidUnitSystemName(const ustring& name);

private:
    ustring name_;
};

} // namespace CvUnitSys
