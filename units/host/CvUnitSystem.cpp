#include "units/host/CvUnitSystem.hpp"

#include "units/host/RecordProperties.hpp"
#include "units/platform/UserOutput.hpp"

namespace CvUnitSys {

objsys::ClassID CvUnitSystemObj::getClassID() {
    return CvUnitSystemCI::getClassID();
}

CvUnitSystemObj* CvUnitSystemObj::getObjsysObject(const hxArray* array) {
    return CvUnitSystemCI::recordOf(array);
}

void CvUnitSystemObj::dispUnitSystem() const {
    UserOutput::write(name_ + u"\n");
}

void CvUnitSystemCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 0, [](CvUnitSystemObj&, std::span<const hxArray* const>) {});
    addTextProperty(cls, "Name", &CvUnitSystemObj::getName, &CvUnitSystemObj::setName);
}

} // namespace CvUnitSys
