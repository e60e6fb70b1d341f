#pragma once

#include "units/host/COSClass.hpp"

namespace CvUnitSys {

// Registers the scripting classes in `ns`: "Corvane.Unit",
// "Corvane.PhysicalQuantity", "Corvane.UnitPrefix", "Corvane.UnitSystem",
// "Corvane.UnitQueryClient", then "Corvane.UnitProvenance".
void registerCvUnitsClasses(objsys::COSNamespace* ns);

} // namespace CvUnitSys

// The host's entry points into the library, looked up by name.
extern "C" {
// Registers the scripting classes in the host's namespace, once per process
// however many threads call it; the databases load on first use, not here.
void HNInitialize_cv_units();
// Nothing to undo: registrations and singletons last until the library unloads.
void HNTerminate_cv_units();
}
