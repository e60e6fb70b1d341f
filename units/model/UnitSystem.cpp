#include "units/model/UnitSystem.hpp"

#include "units/expr/CharacterClasses.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitModelLookup.hpp"

namespace CvUnitSys {

const ustring UnitSystem::ALL_UNIT_SYSTEMS = u"all";

UnitSystem::UnitSystem(const ustring& name) : name_(name) {
    if (!isValidStringForUnitSystemName(name)) {
        throwUnitMsg("InvalidUnitSystemName", {name});
    }
}

bool UnitSystem::isValidStringForUnitSystemName(const ustring& name) {
    if (name == ALL_UNIT_SYSTEMS || !scanWholeText(name, &isPrintableCharacter)) {
        return false;
    }
    return name.find(u',') == ustring::npos;
}

bool UnitSystem::isValidUnitSystemName(const ustring& name) {
    return UnitModelLookup::builtInUnitSystem(name) != nullptr;
}

} // namespace CvUnitSys
