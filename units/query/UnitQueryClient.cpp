#include "units/query/UnitQueryClient.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/query/UnitTableClient.hpp"

namespace CvUnitSys {

UnitQueryClient::UnitQueryClient()
    : table_(std::make_unique<UnitTable>()),
      databasesVersion_(UnitDBManager::m_UnitDBManager.getUnitDBSetVersion()) {}

UnitQueryClient::~UnitQueryClient() = default;

UnitTable& UnitQueryClient::table() {
    const std::uint32_t version = UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
    if (version != databasesVersion_) {
        table_->resetToBuiltin();
        databasesVersion_ = version;
    }
    return *table_;
}

std::int32_t UnitQueryClient::checkUnit(const ustring& expr) {
    return table().registerUnit(expr, true, true);
}

bool UnitQueryClient::areEquivalent(const ustring& a, const ustring& b) {
    return UnitTableClient::areEquivalent(table(), a, b);
}

bool UnitQueryClient::areConvertible(const ustring& a, const ustring& b) {
    return UnitTableClient::areConvertible(table(), a, b);
}

UnitNumericInfoForConversions UnitQueryClient::getConversionInfo(const ustring& a,
                                                                 const ustring& b) {
    return UnitTableClient::getConversionInfo(table(), a, b);
}

void UnitQueryClient::resetQueryTableToBuiltin() {
    table_->resetToBuiltin();
}

matrix::unique_array UnitQueryClient::getFullListOfAvailableUnits() {
    return UnitTableClient::getFullListOfAvailableUnits(table());
}

matrix::unique_array UnitQueryClient::getFullListOfAvailablePhysicalQuantities() {
    return UnitTableClient::getFullListOfAvailablePhysicalQuantities(table());
}

matrix::unique_array UnitQueryClient::getFullListOfAvailablePrefixes() {
    return UnitTableClient::getFullListOfAvailablePrefixes(table());
}

matrix::unique_array UnitQueryClient::getFullListOfAvailableUnitSystems() {
    return UnitTableClient::getFullListOfAvailableUnitSystems(table());
}

matrix::unique_array UnitQueryClient::getFullListOfAvailableProvenances() {
    return UnitTableClient::getFullListOfAvailableProvenances(table());
}

matrix::unique_array UnitQueryClient::getFullListOfProvenanceForUnit(const hxArray* unit) {
    return UnitTableClient::getFullListOfProvenanceForUnit(table(), unit);
}

matrix::unique_array
UnitQueryClient::getFullListOfProvenanceForPhysicalQuantity(const hxArray* quantity) {
    return UnitTableClient::getFullListOfProvenanceForPhysicalQuantity(table(), quantity);
}

} // namespace CvUnitSys
