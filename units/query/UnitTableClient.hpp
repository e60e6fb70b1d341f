#pragma once

#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/UString.hpp"
#include "units/host/MatrixArrays.hpp"
#include "units/query/UnitTable.hpp"

#include <utility>
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

    // What the word being typed may become: the text the suggestions complete,
    // and the suggested units best first, as objects or as their symbols. The
    // text is not registered: it is usually unfinished.
    static std::pair<ustring, matrix::unique_array> getAutoCompleteList(UnitTable& table,
                                                                        const ustring& text);
    static std::pair<ustring, std::vector<ustring>> getAutoCompleteStrings(UnitTable& table,
                                                                           const ustring& text);
    // The text with each symbol no database defines replaced by the closest
    // one, and an unknown quantity by the closest quantity; "" for an empty,
    // malformed or unit-less text. The text is not registered.
    static ustring getBestApproximation(UnitTable& table, const ustring& text);
    // For each symbol of the text that several user databases define, the text
    // with that symbol qualified by each database ("a::sym"), joined by ", ";
    // "" for an empty, malformed or unit-less text. The text is not registered.
    static ustring getQualificationForAmbiguousUnit(UnitTable& table, const ustring& text);
    static std::vector<ustring> getFullListOfSimilarUnitsForUnit(UnitTable& table,
                                                                 const ustring& symbol);
    static std::vector<ustring> getFullListOfSimilarUnitsForPhysicalQuantity(UnitTable& table,
                                                                             const ustring& name);

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
