#include "units/query/UnitQueryClient.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTableClient.hpp"

#include <algorithm>

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

std::pair<ustring, matrix::unique_array> UnitQueryClient::getAutoCompleteList(const ustring& text) {
    return UnitTableClient::getAutoCompleteList(table(), text);
}

std::pair<ustring, std::vector<ustring>>
UnitQueryClient::getAutoCompleteStrings(const ustring& text) {
    return UnitTableClient::getAutoCompleteStrings(table(), text);
}

ustring UnitQueryClient::getBestApproximation(const ustring& text) {
    return UnitTableClient::getBestApproximation(table(), text);
}

ustring UnitQueryClient::getQualificationForAmbiguousUnit(const ustring& text) {
    return UnitTableClient::getQualificationForAmbiguousUnit(table(), text);
}

std::vector<ustring> UnitQueryClient::getSimilarUnits(const ustring& expr) {
    UnitTable& units = table();
    const std::int32_t id = units.registerUnit(expr, true, true);
    const UnitBase& unit = *units.getUnit(id);
    UnitDBSet& set = units.getUnitDBSetForQuery();
    const auto* asUnit = dynamic_cast<const Unit*>(&unit);
    const UnitBase* quantity = asUnit != nullptr ? asUnit->getPhysicalQuantity() : nullptr;
    ustring quantitySymbol;
    std::vector<ustring> similar;
    if (quantity != nullptr && quantity->compare(UnitFactory::getDefaultPhysicalQuantity()) != 0) {
        quantitySymbol = quantity->getAsciiSymbol();
        similar = set.getSimilarUnitsForPhysicalQuantity(quantitySymbol);
    } else {
        similar = set.getSimilarUnitsForUnit(ustring(unit.getSymbol()));
    }
    if (units.isUnitPQOnly(id)) {
        if (!quantitySymbol.empty()) {
            similar.push_back(u"@" + quantitySymbol);
        }
        return similar;
    }
    // The list is sorted in this order; the unit itself joins it at its place,
    // unless it is there already among the entries equal to it but for case.
    const std::u16string_view symbol = unit.getSymbol();
    const auto [first, last] = std::equal_range(
        similar.begin(), similar.end(), symbol, [](std::u16string_view a, std::u16string_view b) {
            return TextServices::compareIgnoreCase(a, b) < 0;
        });
    if (!symbol.empty() && std::find(first, last, symbol) == last) {
        similar.insert(last, ustring(symbol));
    }
    return similar;
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
