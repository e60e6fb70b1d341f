#pragma once

namespace CvUnitSys {

// Whether an alias repeats the name, symbol and ASCII symbol of what it refers
// to (a text left empty when the alias was made counts as repeated).
class UnitAliasInfo {
public:
    virtual ~UnitAliasInfo() = default;
    virtual bool nameMatchesRef() const = 0;
    virtual bool symbolMatchesRef() const = 0;
    virtual bool asciiSymbolMatchesRef() const = 0;

protected:
    UnitAliasInfo() = default;
    UnitAliasInfo(const UnitAliasInfo&) = default;
    UnitAliasInfo& operator=(const UnitAliasInfo&) = default;
};

} // namespace CvUnitSys
