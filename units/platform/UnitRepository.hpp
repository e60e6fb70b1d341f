#pragma once

#include "units/foundation/ConversionFactorType.hpp"
#include "units/foundation/UString.hpp"
#include "units/platform/Model.hpp"

#include <cstdint>
#include <vector>

// The element kinds of a user-defined unit database as the model holds them:
// plain values, checked by the database loader, not here.
namespace CvUnitSys::UnitRepository {

struct UnitProvenance {
    ustring id;
    ustring title;
    ustring subtitle;
    ustring organization;
    ustring organizationFullName;
    std::vector<ustring> urls;
    ustring edition;
    std::int32_t year = 0;

    const std::vector<ustring>& getMURLs() const { return urls; }
};

struct PhysicalQuantity {
    ustring name;
    ustring definition;
    std::vector<ustring> provenanceIds;

    const std::vector<ustring>& getUnitprovenance() const { return provenanceIds; }
};

struct Unit {
    ustring name;
    ustring definition;
    ustring symbol;
    ustring asciiSymbol;
    ustring display;
    // Empty for a unit of no particular quantity.
    ustring physicalQuantity;
    ustring factor;
    ConversionFactorType factorKind = ConversionFactorType::Double;
    ustring subUnit;
    std::vector<ustring> provenanceIds;

    const std::vector<ustring>& getUnitProvenance() const { return provenanceIds; }
};

// One user-defined database: the top-level element of its model.
class UnitDatabase : public ModelElement {
public:
    static const MetaClass& metaClass();
    const MetaClass& getMetaClass() const override { return metaClass(); }

    // Empty when the file does not name its database.
    ustring name;
    std::vector<UnitProvenance> provenances;
    std::vector<PhysicalQuantity> physicalQuantities;
    std::vector<Unit> units;

    const std::vector<UnitProvenance>& getUnitProvenance() const { return provenances; }
    const std::vector<PhysicalQuantity>& getPhysicalquantity() const { return physicalQuantities; }
    const std::vector<Unit>& getUnit() const { return units; }
};

} // namespace CvUnitSys::UnitRepository
