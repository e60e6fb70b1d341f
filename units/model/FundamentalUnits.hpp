#pragma once

#include "units/model/UnitBase.hpp"
#include "units/model/UnitDefinition.hpp"
#include "units/model/UnitFactory.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

namespace CvUnitSys {

// The built-in base quantities and their base units, in which every unit is
// finally expressed. One process-wide instance, built on first use and
// read-only afterwards, so it may be read from any thread without locking.
class FundamentalUnits : public UnitFactory {
public:
    using EntitySet =
        std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator>;
    // Symbol, ASCII symbol and name of each entity map to its definition.
    using DefinitionMap = std::unordered_map<ustring, UnitDefinition>;

    static const FundamentalUnits& get();

    // The nine units and nine quantities, in table order (mass, length, time,
    // electric current, temperature, temperature difference, amount of
    // substance, luminous intensity, memory).
    const std::vector<std::unique_ptr<UnitBase>>& getUnits() const { return units_; }
    const std::vector<std::unique_ptr<UnitBase>>& getPhysicalQuantities() const {
        return physicalQuantities_;
    }
    const EntitySet& getUnitSet() const { return unitSet_; }
    const EntitySet& getPhysicalQuantitySet() const { return physicalQuantitySet_; }

    // The entity whose symbol, ASCII symbol or name is exactly `text`, or null.
    const UnitBase* findUnit(const ustring& text) const;
    const UnitBase* findPhysicalQuantity(const ustring& text) const;

    // Each fundamental entity is its own definition, with unity factors.
    const DefinitionMap& getUnitDefinitions() const { return unitDefinitions_; }
    const DefinitionMap& getPhysicalQuantityDefinitions() const {
        return physicalQuantityDefinitions_;
    }

    // False when `text` is surely no key of getUnitDefinitions() (or, for a
    // quantity, of getPhysicalQuantityDefinitions()): a few instructions turn
    // away nearly every other text without hashing it.
    bool mayBeKey(std::u16string_view text, bool unit) const {
        const std::size_t bit = signature(text);
        return ((unit ? unitKeys_ : quantityKeys_)[bit / 64] >> (bit % 64) & 1U) != 0;
    }

    FundamentalUnits(const FundamentalUnits&) = delete;
    FundamentalUnits& operator=(const FundamentalUnits&) = delete;

private:
    FundamentalUnits();

    static std::unique_ptr<FundamentalUnits> sFundamentalUnits;
    static std::once_flag sFundamentalUnits_flag;

    using KeyFilter = std::array<std::uint64_t, 4>;
    static std::size_t signature(std::u16string_view text) {
        const std::size_t first = text.empty() ? 0 : text.front();
        const std::size_t last = text.empty() ? 0 : text.back();
        return (first * 31 + last * 7 + text.size()) % 256;
    }
    static void addKeys(KeyFilter& filter, const DefinitionMap& keys);

    KeyFilter unitKeys_{};
    KeyFilter quantityKeys_{};
    DefinitionMap unitDefinitions_;
    DefinitionMap physicalQuantityDefinitions_;
    std::vector<std::unique_ptr<UnitBase>> units_;
    std::vector<std::unique_ptr<UnitBase>> physicalQuantities_;
    EntitySet physicalQuantitySet_;
    EntitySet unitSet_;
};

} // namespace CvUnitSys
