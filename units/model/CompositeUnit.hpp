#pragma once

#include "units/model/Unit.hpp"

namespace CvUnitSys {

// A prefix applied to a unit (kilo and metre give km). Built on the dummy unit
// it stands for the prefix alone.
class CompositeUnit : public Unit {
public:
    CompositeUnit(std::reference_wrapper<const UnitPrefix> prefix,
                  std::reference_wrapper<const Unit> unit);
    CompositeUnit(const CompositeUnit&) = default;

    std::unique_ptr<UnitBase> clone() const override;
    bool isPrefixOnly() const override { return prefixOnly_; }
    bool isPrefixedUnit() const override { return true; }
    const std::vector<std::shared_ptr<UnitSystem>>& getUnitSystems() const override;
    const PrefixSet& getUnitPrefixes() const override;
    bool hasPrefix(std::reference_wrapper<const UnitPrefix>) const override { return false; }
    const ustring& getSubUnit() const override { return unit_->getSubUnit(); }
    void setSubUnit(const ustring&) override {}
    void setIsCommonSubUnit(bool) override {}
    bool isCommonSubUnit() const override { return unit_->isCommonSubUnit(); }

    const UnitPrefix& getPrefix() const { return *prefix_; }
    const Unit& getUnit() const { return *unit_; }

private:
    const UnitPrefix* prefix_;
    const Unit* unit_;
    bool prefixOnly_;
};

} // namespace CvUnitSys
