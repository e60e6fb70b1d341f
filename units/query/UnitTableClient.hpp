#pragma once

#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/UString.hpp"
#include "units/host/MatrixArrays.hpp"
#include "units/query/UnitTable.hpp"

#include <vector>

namespace CvUnitSys {

// The questions a user interface or the scripting language asks about unit
// texts, answered on a given table. Every question about a text registers it
// first (strictly, as from a model), so strict registration errors propagate;
// every look-up brings the table's database set up to date first. The lists
// come back as column arrays of the scripting classes' objects, which must be
// registered.
class UnitTableClient {
public:
    static bool areEquivalent(UnitTable& table, const ustring& a, const ustring& b);
    // Equivalent, inherit-compatible, or differing by a scale, an offset or an inversion.
    static bool areConvertible(UnitTable& table, const ustring& a, const ustring& b);
    // "CannotConvertUnspecified", "UnitsNotConvertible" or
    // "UnresolvedUnitsNotConvertible" when there is no conversion.
    static UnitNumericInfoForConversions getConversionInfo(UnitTable& table, const ustring& a,
                                                           const ustring& b);

    static matrix::unique_array getFullListOfAvailableUnits(UnitTable& table);
    static matrix::unique_array getFullListOfAvailablePhysicalQuantities(UnitTable& table);
    static matrix::unique_array getFullListOfAvailablePrefixes(UnitTable& table);
    // The systems of every database; the table is not consulted.
    static matrix::unique_array getFullListOfAvailableUnitSystems(UnitTable& table);
    static matrix::unique_array getFullListOfAvailableProvenances(UnitTable& table);
    // The provenances of the unit (or quantity) named by the "Corvane.Unit"
    // (or "Corvane.PhysicalQuantity") object in the array; an empty array for
    // another object or an unknown name.
    static matrix::unique_array getFullListOfProvenanceForUnit(UnitTable& table,
                                                               const hxArray* unit);
    static matrix::unique_array getFullListOfProvenanceForPhysicalQuantity(UnitTable& table,
                                                                           const hxArray* quantity);
    // Sorted, without repetition.
    static std::vector<ustring> getAllUnitsFromUnitAndPhysicalQuantityMap(UnitTable& table);

    // Empties the list of user databases and the built-in database's contents.
    static void clearAll();
};

} // namespace CvUnitSys
