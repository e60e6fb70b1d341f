#include "units/expr/ExprSymbolLists.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"
#include "units/query/UnitTableEntries.hpp"

#include <array>
#include <iterator>
#include <mutex>

namespace CvUnitSys {

using namespace unittable;

bool UnitTable::isInherit(std::u16string_view expr) {
    return expr == Unit::UnitInheritUStr;
}

bool UnitTable::isAValidUnit(const ustring& expr) {
    const ustring trimmed = normalizeUnitExpression(TextServices::trim(expr));
    return trimmed.empty() || UnitBase::isValidUnitExpr(trimmed);
}

bool UnitTable::isAValidExpr(const ustring& expr) {
    const ustring trimmed = normalizeUnitExpression(TextServices::trim(expr));
    return trimmed.empty() || UnitBase::isValidExpr(trimmed);
}

std::int32_t UnitTable::getBaseUnit(const ustring&) {
    return NoUnitId;
}

bool UnitTable::isUnitIdValid(std::int32_t id) const {
    return findEntry(units_, id) != nullptr;
}

void UnitTable::checkUnitId(std::int32_t id) const {
    checkedUnit(units_, id);
}

bool UnitTable::isUnitIdValid_NotInherit(std::int32_t id) const {
    return id != InheritUnitId && isUnitIdValid(id);
}

const UnitBase* UnitTable::getUnit(std::int32_t id) const {
    const Entry* found = findEntry(units_, id);
    return found == nullptr ? nullptr : found->unit();
}

bool UnitTable::isUnitUnresolved(std::int32_t id) const {
    return unresolvedIds_.contains(id);
}

bool UnitTable::isUnitAmbiguous(std::int32_t id) const {
    return ambiguousIds_.contains(id);
}

bool UnitTable::isUnitPQOnly(std::int32_t id) const {
    return quantityOnlyIds_.contains(id);
}

std::u16string_view UnitTable::getUserSpecifiedUnitExpr(std::int32_t id) const {
    if (id == MixedUnitId) {
        return mixedText;
    }
    const Entry* found = findEntry(units_, id);
    return found == nullptr ? std::u16string_view()
                            : keyOf(id, *found).value_or(std::u16string_view());
}

ustring UnitTable::quantityText(std::int32_t id,
                                std::u16string_view (UnitBase::*text)() const) const {
    const UnitBase& unit = *entryAt(units_, id).unit();
    if (unit.getUnitType() == UnitBase::UNIT_TYPE_UNIT) {
        const UnitBase* quantity = static_cast<const Unit&>(unit).getPhysicalQuantity();
        if (quantity != nullptr && !isDefaultQuantity(*quantity)) {
            return ustring((quantity->*text)());
        }
    }
    ustring unitPart;
    ustring quantityPart;
    parseExprForUnitComponents(getUserSpecifiedUnitExpr(id), unitPart, quantityPart);
    return quantityPart;
}

ustring UnitTable::textWithQuantity(std::int32_t id,
                                    std::u16string_view (UnitBase::*text)() const) const {
    ustring out((entryAt(units_, id).unit()->*text)());
    if (idsWithQuantity_.contains(id)) {
        const ustring quantity = quantityText(id, text);
        if (!quantity.empty()) {
            out += u'@';
            out += quantity;
        }
    }
    return out;
}

ustring UnitTable::getUnitNameExpr(std::int32_t id) const {
    return textWithQuantity(id, &UnitBase::getName);
}

ustring UnitTable::getUnitSymbolExpr(std::int32_t id) const {
    return textWithQuantity(id, &UnitBase::getSymbol);
}

ustring UnitTable::getUnitAsciiSymbolExpr(std::int32_t id) const {
    return textWithQuantity(id, &UnitBase::getAsciiSymbol);
}

ustring UnitTable::getUnitDispExpr(std::int32_t id) const {
    ustring out(entryAt(units_, id).unit()->getDisplay());
    if (idsWithQuantity_.contains(id)) {
        out += u'<';
        for (char16_t c : quantityText(id, &UnitBase::getDisplay)) {
            if (c == u'_') {
                out += u'\\';
            }
            out += c;
        }
        out += u'>';
    }
    return out;
}

UnitComparison UnitTable::equivalentUnits(std::int32_t id1, std::int32_t id2) {
    if (id1 == EmptyUnitId || id2 == EmptyUnitId || id1 == id2) {
        return Equivalent;
    }
    if (id1 == MixedUnitId || id2 == MixedUnitId) {
        return MixedUnits;
    }
    if (id1 == InheritUnitId || id2 == InheritUnitId) {
        return InheritCompatible;
    }
    const UnitBase& a = checkedUnit(units_, id1);
    const UnitBase& b = checkedUnit(units_, id2);
    // Scripts compare the same pairs in loops; a comparison costs far more
    // than the look-up.
    refreshPairCaches();
    const std::uint64_t key = pairKey(id1, id2);
    if (const auto known = comparisons_.find(key); known != comparisons_.end()) {
        return known->second;
    }
    const UnitComparison comparison = set_->equivalent(a, b, UseSimplifiedExpo);
    if (comparisons_.size() >= maxCachedPairs) {
        comparisons_.clear();
    }
    comparisons_.emplace(key, comparison);
    return comparison;
}

UnitNumericInfoForConversions UnitTable::getConversionInfo(std::int32_t id1, std::int32_t id2) {
    auto outcome = tryConversionInfo(id1, id2);
    if (const auto* reason = std::get_if<BaseMsgID>(&outcome)) {
        cvsvThrowIException(*reason);
    }
    return std::get<UnitNumericInfoForConversions>(std::move(outcome));
}

UnitDBSet::ConversionOutcome UnitTable::tryConversionInfo(std::int32_t id1, std::int32_t id2) {
    if (id1 == EmptyUnitId && id2 == EmptyUnitId) {
        return UnitNumericInfoForConversions(ConversionFactor::unity);
    }
    const UnitBase& a = checkedUnit(units_, id1);
    const UnitBase& b = checkedUnit(units_, id2);
    if (id1 == EmptyUnitId || id2 == EmptyUnitId || id1 == MixedUnitId || id2 == MixedUnitId) {
        return makeUnitMsgID("CannotConvertUnspecified",
                             {ustring(a.getSymbol()), ustring(b.getSymbol())});
    }
    // Hosts ask for the same pairs over and over, convertible or not.
    refreshPairCaches();
    const std::uint64_t key = pairKey(id1, id2);
    if (const auto known = conversions_.find(key); known != conversions_.end()) {
        if (const auto* factor = std::get_if<ConversionFactor>(&known->second)) {
            return UnitNumericInfoForConversions(*factor);
        }
        return std::get<BaseMsgID>(known->second);
    }
    UnitDBSet::ConversionOutcome outcome = set_->tryConversionInfo(a, b);
    if (conversions_.size() >= maxCachedPairs) {
        conversions_.clear();
    }
    if (const auto* info = std::get_if<UnitNumericInfoForConversions>(&outcome)) {
        conversions_.emplace(key, info->getConversionFactor());
    } else {
        conversions_.emplace(key, std::get<BaseMsgID>(outcome));
    }
    return outcome;
}

std::uint64_t UnitTable::pairKey(std::int32_t id1, std::int32_t id2) {
    return std::uint64_t{static_cast<std::uint32_t>(id1)} << 32 | static_cast<std::uint32_t>(id2);
}

void UnitTable::clearPairCaches() {
    conversions_.clear();
    comparisons_.clear();
}

void UnitTable::refreshPairCaches() {
    // A change of the databases moves the version on and may change any answer.
    const std::uint32_t version = UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
    if (version != pairCachesVersion_) {
        clearPairCaches();
        pairCachesVersion_ = version;
    }
}

bool UnitTable::isUnitCompatibleWithUnitSystems(std::int32_t id,
                                                const UnitDBSet::SystemList& systems) {
    if (id == MixedUnitId || id == EmptyUnitId) {
        return true;
    }
    checkUnitId(id);
    return set_->isUnitCompatibleWithUnitSystems(*getUnit(id), systems);
}

namespace {

template <typename Compute>
const std::vector<ustring>&
cachedList(std::mutex& lock, std::unordered_map<std::int32_t, std::vector<ustring>>& cache,
           std::int32_t id, Compute compute) {
    const std::lock_guard guard(lock);
    auto found = cache.find(id);
    if (found == cache.end()) {
        found = cache.emplace(id, compute()).first;
    }
    return found->second;
}

} // namespace

const std::vector<ustring>& UnitTable::getUndefinedUnitsList(std::int32_t id) {
    return cachedList(undefinedLock_, undefinedUnits_, id, [&] {
        return getUndefinedUnitsFromExpr(ustring(getUserSpecifiedUnitExpr(id)), *set_);
    });
}

const std::vector<ustring>& UnitTable::getAmbiguousUnitsList(std::int32_t id) {
    return cachedList(ambiguousLock_, ambiguousUnits_, id, [&] {
        return getAmbiguousUnitsFromExpr(ustring(getUserSpecifiedUnitExpr(id)), *set_);
    });
}

const std::optional<Diagnostic>& UnitTable::errorCause(UnitComparison comparison) {
    static constexpr const char* keys[] = {nullptr,
                                           "IncompatibleUnits",
                                           nullptr,
                                           nullptr,
                                           "CanonicalScalingFactorDifference",
                                           "DimensionallyInequivalent",
                                           "DifferentOffsets",
                                           "ReciprocalUnits",
                                           "UnresolvedUnits",
                                           "MixedUnits"};
    // The cause depends on the code alone and carries no text of its own, so
    // each is made once; hosts ask for one with every pair that does not convert.
    static const auto causes = [] {
        std::array<std::optional<Diagnostic>, std::size(keys) + 1> made;
        for (std::size_t i = 0; i < std::size(keys); ++i) {
            if (keys[i] != nullptr) {
                made[i] = cvsvCreateDiagnosticFromMessageID(makeUnitMsgID(keys[i]));
            }
        }
        return made;
    }();
    const int index = static_cast<int>(comparison);
    const bool known = index >= 0 && index < static_cast<int>(std::size(keys));
    return causes[known ? static_cast<std::size_t>(index) : std::size(keys)];
}

UnitDBSet& UnitTable::getUnitDBSetForQuery() {
    set_->initializeIfNeeded();
    return *set_;
}

} // namespace CvUnitSys
