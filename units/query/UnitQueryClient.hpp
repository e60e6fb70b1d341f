#pragma once

#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/UString.hpp"
#include "units/host/MatrixArrays.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace CvUnitSys {

// The query interface with a table of its own: the questions of
// UnitTableClient without a table argument. Every text asked about is
// registered in the client's table. When the databases have changed since the
// last question, the table starts again from its special units, so that no
// answer rests on how a text resolved before the change. Used by one thread
// at a time.
class UnitQueryClient {
public:
    UnitQueryClient();
    ~UnitQueryClient();
    UnitQueryClient(const UnitQueryClient&) = delete;
    UnitQueryClient& operator=(const UnitQueryClient&) = delete;

    // The text's id in the client's table; strict registration errors propagate.
    std::int32_t checkUnit(const ustring& expr);
    bool areEquivalent(const ustring& a, const ustring& b);
    bool areConvertible(const ustring& a, const ustring& b);
    UnitNumericInfoForConversions getConversionInfo(const ustring& a, const ustring& b);
    // Drops every registered text.
    void resetQueryTableToBuiltin();

    std::pair<ustring, matrix::unique_array> getAutoCompleteList(const ustring& text);
    std::pair<ustring, std::vector<ustring>> getAutoCompleteStrings(const ustring& text);
    ustring getBestApproximation(const ustring& text);
    ustring getQualificationForAmbiguousUnit(const ustring& text);
    // The units similar to the text's unit, sorted, the unit itself among them;
    // for a text naming only a quantity, the units of that quantity followed by
    // "@" and the quantity.
    std::vector<ustring> getSimilarUnits(const ustring& expr);

    matrix::unique_array getFullListOfAvailableUnits();
    matrix::unique_array getFullListOfAvailablePhysicalQuantities();
    matrix::unique_array getFullListOfAvailablePrefixes();
    matrix::unique_array getFullListOfAvailableUnitSystems();
    matrix::unique_array getFullListOfAvailableProvenances();
    matrix::unique_array getFullListOfProvenanceForUnit(const hxArray* unit);
    matrix::unique_array getFullListOfProvenanceForPhysicalQuantity(const hxArray* quantity);

private:
    // The table, emptied first when the databases changed since the last use.
    UnitTable& table();

    std::unique_ptr<UnitTable> table_;
    std::uint32_t databasesVersion_;
};

} // namespace CvUnitSys
