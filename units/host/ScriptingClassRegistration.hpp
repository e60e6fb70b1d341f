#pragma once

#include "units/host/COSClass.hpp"

// Registration of the scripting classes in the host's namespace; each may be
// called more than once.
namespace CvUnitSys {

// "Corvane.Unit", then "Corvane.PhysicalQuantity", then "Corvane.UnitPrefix".
void registerCvUnit(objsys::COSNamespace* ns);
void registerCvUnitSystem(objsys::COSNamespace* ns);
void registerCvUnitProvenance(objsys::COSNamespace* ns);

} // namespace CvUnitSys
