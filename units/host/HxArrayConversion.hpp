#pragma once

#include "units/db/UnitDBSet.hpp"
#include "units/foundation/UString.hpp"
#include "units/host/MatrixArrays.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitSystem.hpp"

#include <memory>
#include <vector>

// Entity collections as column arrays of the scripting classes' objects, one
// object per entity in the collection's order, for the query results that go
// to the scripting language. The classes must be registered.
namespace CvUnitSys::HxArrayConversion {

// "Corvane.Unit" objects for UNIT_TYPE_UNIT, "Corvane.PhysicalQuantity" ones otherwise.
matrix::unique_array unitObjArray(const UnitDBSet::UnitSet& entities, UnitBase::UnitType type);
matrix::unique_array
unitObjArray(const std::vector<std::reference_wrapper<const UnitBase>>& entities,
             UnitBase::UnitType type);
matrix::unique_array unitPrefixArray(const UnitDBSet::PrefixSet& prefixes);
matrix::unique_array unitSystemArray(const std::vector<std::shared_ptr<UnitSystem>>& systems);
// Ordered by provenance id.
matrix::unique_array unitProvenanceArray(const UnitDBSet::ProvenanceMap& provenances);
matrix::unique_array unitProvenanceArray(const UnitDBSet::ProvenanceList& provenances);

// The "Name" of the object in element 0; empty when the array holds no object
// of that class.
ustring getNameForUnitObj(const hxArray* array);
ustring getNameForPhysicalQuantityObj(const hxArray* array);

} // namespace CvUnitSys::HxArrayConversion
