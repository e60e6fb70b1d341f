#pragma once

#include "units/model/UnitAliasInfo.hpp"
#include "units/model/UnitPrefix.hpp"

namespace CvUnitSys {

// Another name for a prefix; it takes the referenced prefix's factor.
class UnitPrefixAlias : public UnitPrefix, public UnitAliasInfo {
public:
    // Empty texts are taken from `ref`; the systems are looked up by name.
    UnitPrefixAlias(const ustring& name, const ustring& symbol, const ustring& asciiSymbol,
                    const ustring& display, const std::reference_wrapper<const UnitPrefix>& ref,
                    const std::vector<ustring>& unitSystemNames);
    UnitPrefixAlias(const UnitPrefixAlias&) = default;

    std::unique_ptr<UnitPrefix> clone() const override;
    bool isAliased() const override { return true; }

    virtual const UnitPrefix& getRefUnitPrefix() const { return *refUnitPrefix_; }
    bool nameMatchesRef() const override { return nameMatches_; }
    bool symbolMatchesRef() const override { return symbolMatches_; }
    bool asciiSymbolMatchesRef() const override { return asciiSymbolMatches_; }

private:
    const UnitPrefix* refUnitPrefix_;
    bool nameMatches_;
    bool symbolMatches_;
    bool asciiSymbolMatches_;
};

} // namespace CvUnitSys
