#include "units/host/RhodexUnitsObserver.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitExpr.hpp"
#include "units/model/UnitDefinition.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

namespace CvUnitSys {

namespace {

constexpr double relativeTolerance = 1e-5;

const std::map<ustring, RhodexUnitsObserver::NotifiedUnit>& initialUnits() {
    static const std::map<ustring, RhodexUnitsObserver::NotifiedUnit> initial{
        {u"1", {u"1", 1.0, 0.0}}};
    return initial;
}

// The tool writes a temperature difference as "K"; the library has a unit of
// its own for it.
bool isDeltaTemperature(const ustring& unit) {
    static const std::array<ustring, 4> deltas{u"deltaK", u"deltadegC", u"deltadegF", u"deltadegR"};
    return std::find(deltas.begin(), deltas.end(), unit) != deltas.end();
}

bool closeTo(double value, double reference) {
    return reference != 0.0 && std::abs(1.0 - value / reference) < relativeTolerance;
}

} // namespace

RhodexUnitsObserver* RhodexUnitsObserver::_rhodex_units_observer_ = nullptr;

RhodexUnitsObserver& getRhodexUnitsObserver() {
    static std::once_flag created;
    std::call_once(
        created, [] { RhodexUnitsObserver::_rhodex_units_observer_ = new RhodexUnitsObserver(); });
    return *RhodexUnitsObserver::_rhodex_units_observer_;
}

RhodexUnitsObserver::RhodexUnitsObserver()
    : notifiedUnits_(initialUnits()), set_(UnitDBManager::m_UnitDBManager.createNewUnitDBSet()) {}

RhodexUnitsObserver::~RhodexUnitsObserver() = default;

void RhodexUnitsObserver::notify(const ustring& unit, const ustring& expression, double scale,
                                 double offset) {
    const auto [entry, added] =
        notifiedUnits_.try_emplace(unit, NotifiedUnit{expression, scale, offset});
    if (unitDatabaseInitialized_ && !isClassified(unit)) {
        classify(unit, entry->second);
    }
}

void RhodexUnitsObserver::notify(const std::string& unit, const std::string& expression,
                                 double scale, double offset) {
    notify(TextServices::fromUtf8(unit), TextServices::fromUtf8(expression), scale, offset);
}

std::pair<RhodexUnitsObserver::NameSet::iterator, bool>
RhodexUnitsObserver::matchUnit(const ustring& unit, const ustring& expression, double scale,
                               double offset) {
    return classify(unit, {expression, scale, offset});
}

std::pair<RhodexUnitsObserver::NameSet::iterator, bool>
RhodexUnitsObserver::classify(const ustring& unit, const NotifiedUnit& reported) {
    switch (matchCorvaneUnits(unit, reported.expression, reported.scale, reported.offset)) {
    case Incompatible:
        return incompatibleUnits_.insert(unit);
    case Unknown:
        return unknownUnits_.insert(unit);
    default:
        return compatibleUnits_.insert(unit);
    }
}

bool RhodexUnitsObserver::isClassified(const ustring& unit) const {
    return compatibleUnits_.contains(unit) || unknownUnits_.contains(unit) ||
           incompatibleUnits_.contains(unit);
}

RhodexUnitsObserver::Match RhodexUnitsObserver::matchCorvaneUnits(const ustring& unit,
                                                                  const ustring& expression,
                                                                  double scale, double offset) {
    // Loaded before the set takes its locks: a first load tells this observer,
    // which then classifies through the same set.
    UnitDatabase::getBuiltinDatabase();
    set_->initializeIfNeeded();
    const UnitBase& anyQuantity = UnitFactory::getDefaultPhysicalQuantity();
    if (!set_->hasUnit(unit, anyQuantity)) {
        return Unknown;
    }
    const ustring used = expression == u"K" && isDeltaTemperature(unit) ? u"deltaK" : expression;
    try {
        const auto temporary = UnitFactory().createUnit(-10, unit, used, unit, unit, {},
                                                        defaultStoredConversionFactor(), {}, {}, {},
                                                        false, anyQuantity);
        const UnitDefinition definition =
            UnitDefinition::generateDefinition(*temporary, set_.get());
        const ConversionFactor& tool = definition.getFundamentalConversionFactor();
        if (tool.isReciprocal() || (offset == 0.0 && tool.isAffine())) {
            return Incompatible;
        }
        const UnitDefinition& library = set_->definitionOf(set_->getUnit(unit));
        if (!definition.getFundamentalAST().equal(library.getFundamentalAST(), UseSimplifiedExpo)) {
            return Incompatible;
        }
        const ConversionFactor& own = library.getFundamentalConversionFactor();
        if (own.isReciprocal()) {
            return Incompatible;
        }
        const double product = tool.toDouble() * scale;
        const double ownScale = own.toDouble();
        if (!(product == 0.0 && ownScale == 0.0) && !closeTo(product, ownScale)) {
            return Incompatible;
        }
        const double toolOffset = offset + (tool.isAffine() ? tool.getOffset() : 0.0);
        const double ownOffset = own.isAffine() ? own.getOffset() : 0.0;
        return (toolOffset == 0.0 && ownOffset == 0.0) || closeTo(toolOffset, ownOffset)
                   ? Compatible
                   : Incompatible;
    } catch (const IUserException&) {
        return Incompatible;
    } catch (const std::exception&) {
        // A text that is not even a well-formed string (an unpaired surrogate)
        // or a definition the model cannot expand: nothing to match against.
        return Incompatible;
    }
}

bool RhodexUnitsObserver::isRhodexUnitCompatible(const ustring& unit) const {
    return !incompatibleUnits_.contains(unit);
}

void RhodexUnitsObserver::renotifyAll() {
    if (!unitDatabaseInitialized_) {
        return;
    }
    for (const auto& [unit, reported] : notifiedUnits_) {
        if (!isClassified(unit)) {
            classify(unit, reported);
        }
    }
}

void RhodexUnitsObserver::clearAll() {
    notifiedUnits_ = initialUnits();
    clearUnitsMapping();
}

void RhodexUnitsObserver::clearUnitsMapping() {
    compatibleUnits_.clear();
    incompatibleUnits_.clear();
    unknownUnits_.clear();
}

void RhodexUnitsObserver::setUnitDatabaseInitialized(bool initialized) {
    unitDatabaseInitialized_ = initialized;
    if (initialized) {
        renotifyAll();
    } else {
        clearUnitsMapping();
    }
}

void RhodexUnitsObserverInterface::operator()(const std::string& unit,
                                              const std::string& expression, double scale,
                                              double offset) const {
    getRhodexUnitsObserver().notify(unit, expression, scale, offset);
}

bool CheckTessanUnitCompatibleWithCorvane(const ustring& expression) {
    const RhodexUnitsObserver& observer = getRhodexUnitsObserver();
    UnitExpr parsed;
    try {
        if (!parseUnitExprNoThrow(expression, parsed)) {
            return false;
        }
    } catch (const std::out_of_range&) {
        // An unpaired surrogate: not a text the tool could have written.
        return false;
    }
    for (const auto& [name, exponent] : parsed.getReducedUnitExpr().getExpr()) {
        if (!observer.isRhodexUnitCompatible(name)) {
            return false;
        }
    }
    return true;
}

} // namespace CvUnitSys
