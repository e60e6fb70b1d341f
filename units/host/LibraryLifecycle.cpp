#include "units/host/LibraryLifecycle.hpp"

#include "units/host/CvUnitQueryClient.hpp"
#include "units/host/ScriptingClassRegistration.hpp"

#include <mutex>

namespace CvUnitSys {

void registerCvUnitsClasses(objsys::COSNamespace* ns) {
    registerCvUnit(ns);
    registerCvUnitSystem(ns);
    registerCvUnitQueryClient(ns);
    registerCvUnitProvenance(ns);
}

} // namespace CvUnitSys

void HNInitialize_cv_units() {
    static std::once_flag registered;
    std::call_once(registered,
                   [] { CvUnitSys::registerCvUnitsClasses(cvsvGetCorvaneCOSNamespace()); });
}

void HNTerminate_cv_units() {}
