#pragma once

#include "units/model/UnitBase.hpp"
#include "units/model/UnitPrefix.hpp"

#include <set>
#include <vector>

namespace CvUnitSys {

// A unit: an entity with a physical quantity, the systems it belongs to and
// the prefixes it accepts.
class Unit : public UnitBase {
public:
    using PrefixSet =
        std::set<std::reference_wrapper<const UnitPrefix>, UnitPrefix::ConstRefComparator>;

    // The exact name that marks a unit as inheriting its unit.
    static const ustring UnitInheritUStr;

    Unit(std::int32_t id, std::u16string_view name, std::u16string_view expression,
         std::u16string_view symbol, std::u16string_view asciiSymbol, std::u16string_view display,
         const StoredConversionFactor& conversionFactor,
         std::reference_wrapper<const UnitBase> physicalQuantity);
    Unit(std::int32_t id, UnitTexts texts, const StoredConversionFactor& conversionFactor,
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
    const std::vector<std::shared_ptr<UnitSystem>>& getUnitSystems() const override;
    virtual const PrefixSet& getUnitPrefixes() const;
    virtual void addPrefix(std::reference_wrapper<const UnitPrefix> prefix);
    // Every prefix of the set; a unit that has none yet copies the set whole,
    // which orders nothing again.
    void addPrefixes(const PrefixSet& prefixes);
    // Adds the first built-in prefix of that name; unknown names are ignored.
    virtual void addAvailablePrefix(const ustring& prefixName);
    virtual bool hasPrefix(std::reference_wrapper<const UnitPrefix> prefix) const;
    virtual const ustring& getSubUnit() const;
    virtual void setSubUnit(const ustring& subUnit);
    virtual void setIsCommonSubUnit(bool flag);
    virtual bool isCommonSubUnit() const;

    // Appends the database manager's system of that name; unknown names are ignored.
    void addOwnerUnitSystem(const ustring& systemName);
    // Appends a system the caller already holds, as a database does for its own.
    void addOwnerUnitSystem(std::shared_ptr<UnitSystem> system);

protected:
    // Sub-units, then physical quantities.
    int compareTemplate(const UnitBase& other) const override;

private:
    // What only database units have, with the factor. Tables hold many units
    // made from expressions, which have none of it, and copies of database
    // units, which never change it: absent or shared, and copied before a change.
    // A unit's shared part, when it has one, is always this.
    struct Details : Shared {
        using Shared::Shared;
        std::vector<std::shared_ptr<UnitSystem>> unitSystems;
        PrefixSet availablePrefixes;
        // Addresses of every prefix added, sorted: a database asks with its own
        // prefix objects, and finding one here is cheaper than ordering prefixes.
        std::vector<const UnitPrefix*> prefixAddresses;
        ustring subUnit;
        bool isCommonSubUnit = false;
    };
    static boost::intrusive_ptr<Shared> detailsFor(const StoredConversionFactor& factor);
    const Details* details() const { return static_cast<const Details*>(shared()); }
    Details& ownDetails();
    bool hasDefaultPhysicalQuantity() const;

    const UnitBase* physicalQuantity_;
};

} // namespace CvUnitSys
