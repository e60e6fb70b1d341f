#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/StoredConversionFactor.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace CvUnitSys {

class UnitSystem;

// A prefix such as kilo or micro. Not an entity of its own: applied to a unit it
// gives a CompositeUnit.
class UnitPrefix {
public:
    // Orders by `compare` after replacing aliases by the prefixes they name.
    struct ConstRefComparator {
        bool operator()(std::reference_wrapper<const UnitPrefix> a,
                        std::reference_wrapper<const UnitPrefix> b) const;
    };

    UnitPrefix(std::u16string_view name, std::u16string_view symbol,
               std::u16string_view asciiSymbol, std::u16string_view display,
               const StoredConversionFactor& conversionFactor);
    UnitPrefix(const UnitPrefix&) = default;
    UnitPrefix& operator=(const UnitPrefix&) = delete;

    virtual ~UnitPrefix() = default;
    virtual const std::vector<std::shared_ptr<UnitSystem>>& getUnitSystems() const {
        return unitSystems_;
    }
    virtual std::unique_ptr<UnitPrefix> clone() const;
    virtual bool isAliased() const { return false; }

    // Names, symbols, ASCII symbols, then the factor (the smaller factor sorts after).
    int compare(const UnitPrefix& other) const;
    // Appends the built-in database's system of that name; unknown names are ignored.
    void addOwnerUnitSystem(const ustring& systemName);
    // Prefixes carry nothing that could be inconsistent.
    void checkValidity() const {}

    const ustring& getName() const { return name_; }
    const ustring& getSymbol() const { return symbol_; }
    const ustring& getAsciiSymbol() const { return asciiSymbol_; }
    const ustring& getDisplay() const { return display_; }
    const StoredConversionFactor& getConversionFactor() const { return conversionFactor_; }

private:
    ustring name_;
    ustring symbol_;
    ustring asciiSymbol_;
    ustring display_;
    StoredConversionFactor conversionFactor_;
    std::vector<std::shared_ptr<UnitSystem>> unitSystems_;
};

} // namespace CvUnitSys
