#include "units/query/UnitTableClient.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/host/HxArrayConversion.hpp"

namespace CvUnitSys {

namespace {

// Registering strictly, as from a model: what every question about texts does first.
std::int32_t registerText(UnitTable& table, const ustring& text) {
    return table.registerUnit(text, true, true);
}

UnitComparison compare(UnitTable& table, const ustring& a, const ustring& b) {
    const std::int32_t idA = registerText(table, a);
    const std::int32_t idB = registerText(table, b);
    return table.equivalentUnits(idA, idB);
}

} // namespace

bool UnitTableClient::areEquivalent(UnitTable& table, const ustring& a, const ustring& b) {
    return compare(table, a, b) == Equivalent;
}

bool UnitTableClient::areConvertible(UnitTable& table, const ustring& a, const ustring& b) {
    return allowsConversion(compare(table, a, b));
}

UnitNumericInfoForConversions UnitTableClient::getConversionInfo(UnitTable& table, const ustring& a,
                                                                 const ustring& b) {
    const std::int32_t idA = registerText(table, a);
    const std::int32_t idB = registerText(table, b);
    return table.getConversionInfo(idA, idB);
}

matrix::unique_array UnitTableClient::getFullListOfAvailableUnits(UnitTable& table) {
    return HxArrayConversion::unitObjArray(table.getUnitDBSetForQuery().getAllUnits(),
                                           UnitBase::UNIT_TYPE_UNIT);
}

matrix::unique_array UnitTableClient::getFullListOfAvailablePhysicalQuantities(UnitTable& table) {
    return HxArrayConversion::unitObjArray(table.getUnitDBSetForQuery().getAllPhysicalQuantities(),
                                           UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY);
}

matrix::unique_array UnitTableClient::getFullListOfAvailablePrefixes(UnitTable& table) {
    return HxArrayConversion::unitPrefixArray(table.getUnitDBSetForQuery().getAllPrefixes());
}

matrix::unique_array UnitTableClient::getFullListOfAvailableUnitSystems(UnitTable&) {
    return HxArrayConversion::unitSystemArray(UnitDBManager::m_UnitDBManager.getAllUnitSystems());
}

matrix::unique_array UnitTableClient::getFullListOfAvailableProvenances(UnitTable& table) {
    return HxArrayConversion::unitProvenanceArray(
        table.getUnitDBSetForQuery().getAllUnitProvenances());
}

matrix::unique_array UnitTableClient::getFullListOfProvenanceForUnit(UnitTable& table,
                                                                     const hxArray* unit) {
    const UnitDBSet& set = table.getUnitDBSetForQuery();
    // The databases tie provenances to unit symbols; the object names its unit
    // by name, which finds the unit whose symbol to look up.
    ustring key = HxArrayConversion::getNameForUnitObj(unit);
    if (const UnitDBSet::UnitSet found = key.empty() ? UnitDBSet::UnitSet() : set.findUnit(key);
        !found.empty()) {
        key = found.begin()->get().getSymbol();
    }
    return HxArrayConversion::unitProvenanceArray(set.getProvenancesForUnit(key));
}

matrix::unique_array
UnitTableClient::getFullListOfProvenanceForPhysicalQuantity(UnitTable& table,
                                                            const hxArray* quantity) {
    const UnitDBSet& set = table.getUnitDBSetForQuery();
    return HxArrayConversion::unitProvenanceArray(set.getProvenancesForPhysicalQuantity(
        HxArrayConversion::getNameForPhysicalQuantityObj(quantity)));
}

std::vector<ustring> UnitTableClient::getAllUnitsFromUnitAndPhysicalQuantityMap(UnitTable& table) {
    return table.getUnitDBSetForQuery().getAllUnitsFromUnitAndPhysicalQuantityMap();
}

void UnitTableClient::clearAll() {
    UnitDBManager::m_UnitDBManager.resetAll();
}

} // namespace CvUnitSys
