#pragma once

#include "units/model/Unit.hpp"
#include "units/model/UnitAliasInfo.hpp"

namespace CvUnitSys {

// Another name for a unit: it takes the unit's expression, factor and quantity,
// and answers prefix and sub-unit questions for it.
class UnitAlias : public Unit, public UnitAliasInfo {
public:
    // Empty texts are taken from `ref`; the id is 0; the systems are looked up by name.
    UnitAlias(const ustring& name, const ustring& symbol, const ustring& asciiSymbol,
              const ustring& display, std::reference_wrapper<const Unit> ref,
              const std::vector<ustring>& unitSystemNames);
    UnitAlias(const UnitAlias&) = default;

    std::unique_ptr<UnitBase> clone() const override;
    bool isAliased() const override { return true; }
    bool isPrefixOnly() const override { return refUnit_->isPrefixOnly(); }
    bool isPrefixedUnit() const override { return refUnit_->isPrefixedUnit(); }
    const PrefixSet& getUnitPrefixes() const override { return refUnit_->getUnitPrefixes(); }
    bool hasPrefix(std::reference_wrapper<const UnitPrefix> prefix) const override {
        return refUnit_->hasPrefix(prefix);
    }
    const ustring& getSubUnit() const override { return refUnit_->getSubUnit(); }
    void setSubUnit(const ustring&) override {}
    void setIsCommonSubUnit(bool) override {}
    bool isCommonSubUnit() const override { return refUnit_->isCommonSubUnit(); }

    virtual const Unit& getRefUnit() const { return *refUnit_; }
    bool nameMatchesRef() const override { return nameMatches_; }
    bool symbolMatchesRef() const override { return symbolMatches_; }
    bool asciiSymbolMatchesRef() const override { return asciiSymbolMatches_; }

private:
    const Unit* refUnit_;
    bool nameMatches_;
    bool symbolMatches_;
    bool asciiSymbolMatches_;
};

} // namespace CvUnitSys
