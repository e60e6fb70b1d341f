#pragma once

// Every unit as a product of fundamental units with the exact scale and offset
// of its conversion to them, and back: which units have exactly that.

#include "units/db/BaseExpression.hpp"
#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitAST.hpp"
#include "units/model/UnitBase.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <shared_mutex>
#include <utility>
#include <vector>

namespace CvUnitSys {

class UnitDBSet;

// Lets the propagation engine give a computed unit the name of the one unit
// that has exactly its scaling (kg*m/s^2 becomes N). Filled once from all
// units of a database set; a fill made before the list of databases changed
// counts as not initialised, so the next initializeIfNeeded fills it afresh.
//
// Any thread may call it: fills, inserts and clears hold the lock exclusively,
// look-ups hold it shared.
class NoScalingUnitReductionMap {
public:
    using Symbols = std::vector<ustring>;
    using UnitSet = std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator>;
    // (scale, offset) of the conversion to fundamental units; compared exactly.
    using Scaling = std::pair<double, double>;

    NoScalingUnitReductionMap() = default;
    NoScalingUnitReductionMap(const NoScalingUnitReductionMap&) = delete;
    NoScalingUnitReductionMap& operator=(const NoScalingUnitReductionMap&) = delete;

    // False also when the databases changed since the fill.
    bool isInitialized() const;
    // Only the caller that starts the fill fills; the others return at once.
    // Errors of definition generation propagate and leave the map marked initialised.
    void initializeIfNeeded(UnitDBSet& dbset);
    void clear();

    void insert(std::reference_wrapper<const UnitBase> unit, UnitDBSet& dbset);
    void insert(const UnitSet& units, UnitDBSet& dbset);

    // Each entry as (symbol, simplified exponent), in the AST's order, uncombined.
    static BaseExpression astToBaseExpression(const UnitAST& ast);
    // The symbols with exactly this expression, scale and offset.
    Symbols getMatching(const BaseExpression& x, const ConversionFactor& f) const;
    static ustring getTag(const UnitBase& unit) { return ustring(unit.getSymbol()); }

private:
    void insertHelper(const UnitBase& unit, UnitDBSet& dbset);

    std::atomic<bool> initialized_{false};
    // The manager's version of the databases the fill saw.
    std::atomic<std::uint32_t> filledVersion_{0};
    mutable std::shared_mutex lock_;
    std::map<BaseExpression, std::map<Scaling, Symbols>, BaseExpressionMapComparator> table_;
};

} // namespace CvUnitSys
