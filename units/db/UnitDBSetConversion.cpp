#include "units/db/UnitDBSet.hpp"
#include "units/expr/ExprSymbolLists.hpp"
#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"

namespace CvUnitSys {

namespace {

const UnitBase& quantityOf(const UnitBase& entity) {
    if (entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT) {
        if (const UnitBase* quantity = static_cast<const Unit&>(entity).getPhysicalQuantity()) {
            return *quantity;
        }
    }
    return UnitFactory::getDefaultPhysicalQuantity();
}

bool isQuantityOnly(const UnitBase& entity) {
    return entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT &&
           static_cast<const Unit&>(entity).isPQOnly();
}

} // namespace

UnitNumericInfoForConversions UnitDBSet::getConversionInfo(const UnitBase& a, const UnitBase& b) {
    if (a.compare(b) == 0) {
        return UnitNumericInfoForConversions(ConversionFactor::unity);
    }
    if (isUnresolved(a) || isUnresolved(b)) {
        ustring undefined;
        for (const UnitBase* entity : {&a, &b}) {
            for (const ustring& symbol : getUndefinedUnitsFromExpr(entity->getSymbol(), *this)) {
                undefined += (undefined.empty() ? u"" : u", ") + symbol;
            }
        }
        throwUnitMsg("UnresolvedUnitsNotConvertible", {a.getSymbol(), b.getSymbol(), undefined});
    }
    const auto notConvertible = [&] {
        throwUnitMsg("UnitsNotConvertible",
                     {a.getSymbol(), b.getSymbol(), a.getSymbol(), b.getSymbol()});
    };
    const bool quantitiesMatch =
        equivalent(quantityOf(a), quantityOf(b), UseSimplifiedExpo) == Equivalent;
    const bool aQuantityOnly = isQuantityOnly(a);
    const bool bQuantityOnly = isQuantityOnly(b);
    std::optional<ConversionFactor> special;
    if (aQuantityOnly || bQuantityOnly) {
        if (!quantitiesMatch) {
            notConvertible();
        }
        // A quantity-only unit stands for any unit of its quantity.
        if (aQuantityOnly != bQuantityOnly) {
            const UnitBase& unit = aQuantityOnly ? b : a;
            const UnitBase& quantityOnly = aQuantityOnly ? a : b;
            const UnitDefinition& unitDefinition = definitionOf(unit);
            if (!UnitDefinition::physicalQuantityValidForUnit(
                    unitDefinition, definitionOf(quantityOf(quantityOnly)), this,
                    UseSimplifiedExpo)) {
                notConvertible();
            }
        }
    } else if (!quantitiesMatch || !UnitDefinition::areConvertible(definitionOf(a), definitionOf(b),
                                                                   UseSimplifiedExpo)) {
        special = getSpecialConversionFactor(a, b);
        if (!special) {
            notConvertible();
        }
    }
    const UnitDefinition& from = definitionOf(a);
    const ConversionFactor factor =
        UnitDefinition::calculateConversionFactor(special, from, definitionOf(b), this);
    if (!factor.isWellDefined()) {
        notConvertible();
    }
    return UnitNumericInfoForConversions(factor);
}

} // namespace CvUnitSys
