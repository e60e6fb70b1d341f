#include "units/model/UnitDefinition.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/model/StoredConversionFactor.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitASTPool.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace CvUnitSys {

UnitDefinition::UnitDefinition(UnitAST unitAST, UnitAST fundamentalAST, ConversionFactor factor,
                               ConversionFactor fundamentalFactor, bool generated,
                               const UnitDBSet* set)
    : unitAST_(std::move(unitAST)), fundamentalAST_(std::move(fundamentalAST)),
      fundamentalFactor_(std::move(fundamentalFactor)), factor_(ownFactor(std::move(factor))),
      set_(set), generated_(generated) {}

UnitDefinition::UnitDefinition(const UnitDefinition& o)
    : unitAST_(o.unitAST_), fundamentalAST_(o.fundamentalAST_),
      fundamentalFactor_(o.fundamentalFactor_),
      factor_(o.factor_ != nullptr ? std::make_unique<const ConversionFactor>(*o.factor_)
                                   : nullptr),
      set_(o.set_), generated_(o.generated_) {}

UnitDefinition& UnitDefinition::operator=(const UnitDefinition& o) {
    if (this != &o) {
        *this = UnitDefinition(o);
    }
    return *this;
}

void UnitDefinition::compact(UnitASTPool& pool) {
    unitAST_.shrinkToFit();
    pool.share(fundamentalAST_);
}

const ConversionFactor& UnitDefinition::defaultFactor() {
    static const StoredConversionFactor stored = defaultStoredConversionFactor();
    static const ConversionFactor factor =
        ConversionFactorFactory::createConversionFactor(stored.first, stored.second);
    return factor;
}

std::unique_ptr<const ConversionFactor> UnitDefinition::ownFactor(ConversionFactor factor) {
    if (factor.isIdentical(defaultFactor())) {
        return nullptr;
    }
    return std::make_unique<const ConversionFactor>(std::move(factor));
}

namespace {

// Multiplies `product` by `factor`. A unity product takes the factor as it is:
// multiplying by unity would turn an exact affine factor into a double one.
template <typename Factor> void multiply(ConversionFactor& product, Factor&& factor) {
    if (product == ConversionFactor::unity && product.isWellDefined()) {
        product = std::forward<Factor>(factor);
    } else {
        product *= factor;
    }
}

// Exponent's == within the tolerance, against a whole-number exponent: nearly
// every exponent is one, so most answers need no tolerance compare. A part
// more than a half away is never within the tolerance.
bool equalsWhole(const Exponent& e, const Exponent& whole) {
    const double pos = e.getPosExpo() - whole.getPosExpo();
    const double neg = e.getNegExpo() - whole.getNegExpo();
    if (pos == 0.0 && neg == 0.0) {
        return true;
    }
    if (std::fabs(pos) > 0.5 || std::fabs(neg) > 0.5) {
        return false;
    }
    return e == whole;
}

// Multiplies `product` by `factor` raised to `e`; unity and zero powers change nothing.
void multiplyByPower(ConversionFactor& product, const ConversionFactor& factor, const Exponent& e) {
    if (factor == ConversionFactor::unity || equalsWhole(e, Exponent::zero)) {
        return;
    }
    if (equalsWhole(e, Exponent::unity)) {
        multiply(product, factor);
    } else {
        multiply(product, factor ^ e);
    }
}

// Most entities carry the default factor: it is read once.
ConversionFactor factorOf(const StoredConversionFactor& stored) {
    static const StoredConversionFactor defaultStored = defaultStoredConversionFactor();
    return stored == defaultStored
               ? UnitDefinition::defaultFactor()
               : ConversionFactorFactory::createConversionFactor(stored.first, stored.second);
}

bool isAffineOrReciprocal(const ConversionFactor& factor) {
    return !factor.isEmpty() && (factor.isAffine() || factor.isReciprocal());
}

} // namespace

UnitDefinition UnitDefinition::generateDefinition(const UnitBase& entity, UnitDBSet* set) {
    return generateDefinition(entity, partsOf(entity, set), set);
}

UnitAST UnitDefinition::partsOf(const UnitBase& entity, const UnitDBSet* set) {
    UnitExpr parsed;
    parseUnitExprThrows(entity.getExpression(), parsed);
    const bool isUnit = entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT;
    UnitAST unitAST;
    unitAST.reserve(parsed.getReducedUnitExpr().getExpr().size());
    for (const auto& [name, exponent] : parsed.getReducedUnitExpr().getExpr()) {
        unitAST.addToAST(isUnit ? set->getUnit(name) : set->getPhysicalQuantity(name), exponent);
    }
    return unitAST;
}

UnitDefinition UnitDefinition::generateDefinition(const UnitBase& entity, UnitAST unitAST,
                                                  UnitDBSet* set,
                                                  std::span<const UnitDefinition* const> known,
                                                  UnitAST* scratch) {
    ConversionFactor factor = factorOf(entity.getConversionFactor());

    const bool alone = unitAST.getAST().size() == 1;
    const bool partsKnown = known.size() == unitAST.getAST().size();
    UnitAST own;
    // Parts given with their definitions ask the set for nothing, so no
    // generation can come back and build in the scratch meanwhile.
    UnitAST& fundamentalAST = scratch != nullptr && partsKnown ? *scratch : own;
    fundamentalAST.clear();
    ConversionFactor fundamentalFactor = ConversionFactor::unity;
    if (partsKnown) {
        // At most every part's expansion: one block, kept as it is when no entry merges.
        std::size_t entries = 0;
        for (const UnitDefinition* part : known) {
            entries += std::max<std::size_t>(part->getFundamentalAST().getAST().size(), 1);
        }
        fundamentalAST.reserve(entries);
    }
    std::size_t index = 0;
    for (const auto& [part, exponent] : unitAST.getAST()) {
        const UnitDefinition& partDefinition =
            partsKnown ? *known[index++] : set->definitionOf(part);
        if (isAffineOrReciprocal(partDefinition.getConversionFactor()) &&
            !(alone && exponent == Exponent::unity)) {
            // An offset or an inversion has no meaning inside a product: keep the
            // entity as it is and remember that the scale is only approximate.
            fundamentalAST.addToAST(part, exponent);
            multiplyByPower(fundamentalFactor,
                            ConversionFactorFactory::createConversionFactor(
                                partDefinition.getFundamentalConversionFactor().toDouble()),
                            exponent);
            fundamentalFactor.setWellDefined(false);
            continue;
        }
        fundamentalAST.addToAST(partDefinition.getFundamentalAST(), exponent);
        multiplyByPower(fundamentalFactor, partDefinition.getFundamentalConversionFactor(),
                        exponent);
    }
    if (factor != ConversionFactor::unity) {
        const bool wellDefined = fundamentalFactor.isWellDefined();
        multiply(fundamentalFactor, factor);
        fundamentalFactor.setWellDefined(wellDefined && fundamentalFactor.isWellDefined());
    }
    // A copy of the scratch shares its block: the pool then usually swaps it
    // for an equal block it holds, and the scratch is free again.
    return UnitDefinition(std::move(unitAST),
                          &fundamentalAST == scratch ? UnitAST(*scratch) : std::move(own),
                          std::move(factor), std::move(fundamentalFactor), true, set);
}

bool UnitDefinition::physicalQuantityValidForUnit(const UnitDefinition& unitDefinition,
                                                  const UnitDefinition& quantityDefinition,
                                                  const UnitDBSet* set, ExponentUsage usage) {
    UnitAST quantities;
    for (const auto& [unit, exponent] : unitDefinition.getFundamentalAST().getAST()) {
        const auto* asUnit = dynamic_cast<const Unit*>(&unit.get());
        if (asUnit == nullptr || asUnit->getPhysicalQuantity() == nullptr) {
            return false;
        }
        quantities.addToAST(
            set->getUnitDefinition(*asUnit->getPhysicalQuantity()).getFundamentalAST(), exponent);
    }
    return quantities.equal(quantityDefinition.getFundamentalAST(), usage);
}

UnitComparison UnitDefinition::equivalent(const UnitDefinition& a, const UnitDefinition& b,
                                          ExponentUsage usage) {
    if (&a == &b) {
        return Equivalent;
    }
    if (!a.fundamentalAST_.equal(b.fundamentalAST_, usage)) {
        return DimensionallyInequivalent;
    }
    if (a.fundamentalFactor_ == b.fundamentalFactor_) {
        return Equivalent;
    }
    const ConversionFactor& aFactor = a.getConversionFactor();
    const ConversionFactor& bFactor = b.getConversionFactor();
    const bool aAffine = !aFactor.isEmpty() && aFactor.isAffine();
    const bool bAffine = !bFactor.isEmpty() && bFactor.isAffine();
    if (aAffine && bAffine) {
        return aFactor.getOffset() == bFactor.getOffset() ? CanonicalScalingFactorDifference
                                                          : DifferentOffsets;
    }
    return aAffine == bAffine ? CanonicalScalingFactorDifference : DifferentOffsets;
}

bool UnitDefinition::areConvertible(const UnitDefinition& a, const UnitDefinition& b,
                                    ExponentUsage usage) {
    return a.fundamentalAST_.equal(b.fundamentalAST_, usage);
}

ConversionFactor
UnitDefinition::calculateConversionFactor(const std::optional<ConversionFactor>& special,
                                          const UnitDefinition& from, const UnitDefinition& to,
                                          const UnitDBSet*) {
    if (special) {
        return *special * from.fundamentalFactor_ / to.fundamentalFactor_;
    }
    return from.fundamentalFactor_ / to.fundamentalFactor_;
}

} // namespace CvUnitSys
