#include "units/db/NoScalingUnitReductionMap.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"

#include <algorithm>
#include <mutex>

namespace CvUnitSys {

namespace {

std::uint32_t currentVersion() {
    return UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
}

} // namespace

bool NoScalingUnitReductionMap::isInitialized() const {
    return initialized_.load() && filledVersion_.load() == currentVersion();
}

void NoScalingUnitReductionMap::initializeIfNeeded(UnitDBSet& dbset) {
    const std::uint32_t version = currentVersion();
    if (initialized_.load() && filledVersion_.load() != version) {
        clear();
    }
    bool expected = false;
    if (!initialized_.compare_exchange_strong(expected, true)) {
        return;
    }
    std::unique_lock lock(lock_);
    // Read before the set rebuilds: a change meanwhile leaves the fill marked
    // stale, never a stale fill marked current.
    filledVersion_.store(version);
    // From empty: a clear that lost the race for the lock must not leave two
    // fills' symbols behind.
    table_.clear();
    dbset.initializeIfNeeded();
    for (const auto& unit : dbset.getAllUnits()) {
        insertHelper(unit, dbset);
    }
}

void NoScalingUnitReductionMap::clear() {
    bool expected = true;
    if (!initialized_.compare_exchange_strong(expected, false)) {
        return;
    }
    std::unique_lock lock(lock_);
    // A fill started since the flag went down empties the table itself.
    if (!initialized_.load()) {
        table_.clear();
    }
}

void NoScalingUnitReductionMap::insert(std::reference_wrapper<const UnitBase> unit,
                                       UnitDBSet& dbset) {
    std::unique_lock lock(lock_);
    insertHelper(unit, dbset);
}

void NoScalingUnitReductionMap::insert(const UnitSet& units, UnitDBSet& dbset) {
    std::unique_lock lock(lock_);
    for (const auto& unit : units) {
        insertHelper(unit, dbset);
    }
}

void NoScalingUnitReductionMap::insertHelper(const UnitBase& unit, UnitDBSet& dbset) {
    const UnitDefinition& definition = dbset.definitionOf(unit);
    const ConversionFactor& f = definition.getFundamentalConversionFactor();
    Symbols& symbols =
        table_[astToBaseExpression(definition.getFundamentalAST())][{f.toDouble(), f.getOffset()}];
    // An alias (meter beside metre) shares its unit's symbol; listing it twice
    // would make the one unit with this scaling look ambiguous.
    if (std::find(symbols.begin(), symbols.end(), getTag(unit)) == symbols.end()) {
        symbols.push_back(getTag(unit));
    }
}

BaseExpression NoScalingUnitReductionMap::astToBaseExpression(const UnitAST& ast) {
    BaseExpression out;
    out.reserve(ast.getAST().size());
    for (const auto& [unit, exponent] : ast.getAST()) {
        out.emplace_back(getTag(unit), Exponent(exponent.getSimplifiedExpo()));
    }
    return out;
}

NoScalingUnitReductionMap::Symbols
NoScalingUnitReductionMap::getMatching(const BaseExpression& x, const ConversionFactor& f) const {
    std::shared_lock lock(lock_);
    auto byExpression = table_.find(x);
    if (byExpression == table_.end()) {
        return {};
    }
    auto byScaling = byExpression->second.find({f.toDouble(), f.getOffset()});
    return byScaling == byExpression->second.end() ? Symbols() : byScaling->second;
}

} // namespace CvUnitSys
