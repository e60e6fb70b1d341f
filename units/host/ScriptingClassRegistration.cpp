#include "units/host/ScriptingClassRegistration.hpp"

#include "units/host/CvPhysicalQuantity.hpp"
#include "units/host/CvUnit.hpp"
#include "units/host/CvUnitPrefix.hpp"
#include "units/host/CvUnitProvenance.hpp"
#include "units/host/CvUnitSystem.hpp"

namespace CvUnitSys {

void registerCvUnit(objsys::COSNamespace* ns) {
    CvUnitCI::registerClass(ns);
    CvPhysicalQuantityCI::registerClass(ns);
    CvUnitPrefixCI::registerClass(ns);
}

void registerCvUnitSystem(objsys::COSNamespace* ns) {
    CvUnitSystemCI::registerClass(ns);
}

void registerCvUnitProvenance(objsys::COSNamespace* ns) {
    CvUnitProvenanceCI::registerClass(ns);
}

} // namespace CvUnitSys
