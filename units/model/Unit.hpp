#pragma once

#include "units/model/UnitBase.hpp"
#include "units/model/UnitPrefix.hpp"

#include <set>

namespace CvUnitSys {

// A unit: an entity with a physical quantity, the systems it belongs to and
// the prefixes it accepts.
class Unit : public UnitBase {
public:
    using PrefixSet =
        std::set<std::reference_wrapper<const UnitPrefix>, UnitPrefix::ConstRefComparator>;

    // The exact name that marks a unit as inheriting its unit.
    static const ustring UnitInheritUStr;

    Unit(std::int32_t id, const ustring& name, const ustring& expression, const ustring& symbol,
         const ustring& asciiSymbol, const ustring& display,
         const StoredConversionFactor& conversionFactor,
         std::reference_wrapper<const UnitBase> physicalQuantity);
    Unit(const Unit&) = default;

    UnitType getUnitType() const override { return UNIT_TYPE_UNIT; }
    std::unique_ptr<UnitBase> clone() const override;
    std::string getUnitIdText() const override { return "dummy Concrete Unit ID"; }

    virtual const UnitBase* getPhysicalQuantity() const { return physicalQuantity_; }
    // Named "inherit", or unnamed with a quantity other than the default one.
    virtual bool isInherit() const;
    // Unnamed or named "inherit", with a quantity other than the default one.
    virtual bool isPQOnly() const;
    const std::vector<std::shared_ptr<UnitSystem>>& getUnitSystems() const override {
        return unitSystems_;
    }
    virtual const PrefixSet& getUnitPrefixes() const { return availablePrefixes_; }
    virtual void addPrefix(std::reference_wrapper<const UnitPrefix> prefix);
    // Adds the first built-in prefix of that name; unknown names are ignored.
    virtual void addAvailablePrefix(const ustring& prefixName);
    virtual bool hasPrefix(std::reference_wrapper<const UnitPrefix> prefix) const;
    virtual const ustring& getSubUnit() const { return subUnit_; }
    virtual void setSubUnit(const ustring& subUnit) { subUnit_ = subUnit; }
    virtual void setIsCommonSubUnit(bool flag) { isCommonSubUnitFlag_ = flag; }
    virtual bool isCommonSubUnit() const { return isCommonSubUnitFlag_; }

    // Appends the database manager's system of that name; unknown names are ignored.
    void addOwnerUnitSystem(const ustring& systemName);
    // Appends a system the caller already holds, as a database does for its own.
    void addOwnerUnitSystem(std::shared_ptr<UnitSystem> system) {
        unitSystems_.push_back(std::move(system));
    }

protected:
    // Sub-units, then physical quantities.
    int compareTemplate(const UnitBase& other) const override;

private:
    bool hasDefaultPhysicalQuantity() const;

    const UnitBase* physicalQuantity_;
    std::vector<std::shared_ptr<UnitSystem>> unitSystems_;
    PrefixSet availablePrefixes_;
    ustring subUnit_;
    bool isCommonSubUnitFlag_ = false;
};

} // namespace CvUnitSys
