#include "units/model/UnitDefinition.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/model/FundamentalUnits.hpp"
#include "units/model/StoredConversionFactor.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitASTPool.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace CvUnitSys {

namespace {

// An own factor, null for the default one, that keeps its entity whole in a product.
bool isAffineOrReciprocal(const ConversionFactor* factor) {
    return factor != nullptr && !factor->isEmpty() &&
           (factor->isAffine() || factor->isReciprocal());
}

} // namespace

UnitDefinition::UnitDefinition(UnitAST unitAST, UnitAST fundamentalAST, ConversionFactor factor,
                               ConversionFactor fundamentalFactor, bool generated)
    : unitAST_(std::move(unitAST)), fundamentalAST_(std::move(fundamentalAST)),
      factor_(ownFactor(std::move(factor))), fundamentalFactor_(std::move(fundamentalFactor)),
      generated_(generated), affineOrReciprocal_(isAffineOrReciprocal(factor_.get())) {}

UnitDefinition::UnitDefinition(UnitAST unitAST, UnitAST fundamentalAST,
                               std::unique_ptr<const ConversionFactor> factor,
                               ConversionFactor fundamentalFactor)
    : unitAST_(std::move(unitAST)), fundamentalAST_(std::move(fundamentalAST)),
      factor_(std::move(factor)), fundamentalFactor_(std::move(fundamentalFactor)),
      generated_(true), affineOrReciprocal_(isAffineOrReciprocal(factor_.get())) {}

UnitDefinition::UnitDefinition(const UnitDefinition& o)
    : unitAST_(o.unitAST_), fundamentalAST_(o.fundamentalAST_),
      factor_(o.factor_ != nullptr ? std::make_unique<const ConversionFactor>(*o.factor_)
                                   : nullptr),
      fundamentalFactor_(o.fundamentalFactor_), generated_(o.generated_),
      affineOrReciprocal_(o.affineOrReciprocal_) {}

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

} // namespace

UnitDefinition UnitDefinition::generateDefinition(const UnitBase& entity, UnitDBSet* set) {
    return generateDefinition(entity, partsOf(entity, set), set);
}

UnitAST UnitDefinition::partsOf(const UnitBase& entity, const UnitDBSet* set) {
    UnitExpr parsed;
    parseUnitExprThrows(ustring(entity.getExpression()), parsed);
    const bool isUnit = entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT;
    UnitAST unitAST;
    unitAST.reserve(parsed.getReducedUnitExpr().getExpr().size());
    for (const auto& [name, exponent] : parsed.getReducedUnitExpr().getExpr()) {
        unitAST.addToAST(isUnit ? set->getUnit(name) : set->getPhysicalQuantity(name), exponent);
    }
    return unitAST;
}

namespace {

// The general expansion of the parts into `fundamentalAST`; gives the
// fundamental factor of the product.
ConversionFactor expandParts(const UnitAST& unitAST, UnitDBSet* set,
                             std::span<const UnitDefinition* const> known, bool partsKnown,
                             UnitAST& fundamentalAST) {
    const bool alone = unitAST.getAST().size() == 1;
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
        if (partDefinition.hasAffineOrReciprocalFactor() &&
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
    return fundamentalFactor;
}

// Where each fundamental entity falls in `compare` order among those of its
// kind. A registered text nearly always expands into fundamental units
// alone: their exponents gather by rank, with no compare and no merge.
class FundamentalRanks {
public:
    static constexpr std::size_t kMaxRanks = 32;

    static const FundamentalRanks& get() {
        static const FundamentalRanks ranks;
        return ranks;
    }
    // The rank, or -1 for an entity that has none: nearly always one probe
    // of a small table keyed by address.
    int of(const UnitBase& entity) const {
        for (std::size_t i = slotOf(&entity);; i = (i + 1) % kSlots) {
            if (slots_[i].entity == &entity || slots_[i].entity == nullptr) {
                return slots_[i].rank;
            }
        }
    }
    // A bit per rank of a fundamental unit; the quantities' ranks follow them.
    std::uint32_t unitRanks() const { return unitRanks_; }
    const UnitBase& at(int rank) const { return *order_[static_cast<std::size_t>(rank)]; }

private:
    static constexpr std::size_t kSlots = 64;
    struct Slot {
        const UnitBase* entity = nullptr;
        int rank = -1;
    };
    static constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
    static std::size_t slotOf(const UnitBase* entity, std::uint64_t multiplier) {
        return static_cast<std::size_t>(
            (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entity)) * multiplier) >>
            58);
    }
    std::size_t slotOf(const UnitBase* entity) const { return slotOf(entity, multiplier_); }
    // Whether every entity gets a slot of its own with the multiplier.
    bool apart(std::uint64_t multiplier) const {
        std::uint64_t taken = 0;
        for (const UnitBase* entity : order_) {
            const std::uint64_t bit = std::uint64_t{1} << slotOf(entity, multiplier);
            if ((taken & bit) != 0) {
                return false;
            }
            taken |= bit;
        }
        return true;
    }

    FundamentalRanks() {
        const FundamentalUnits& fundamentals = FundamentalUnits::get();
        for (const UnitBase& unit : fundamentals.getUnitSet()) {
            order_.push_back(&unit);
        }
        unitRanks_ = order_.size() >= kMaxRanks ? ~std::uint32_t{0}
                                                : (std::uint32_t{1} << order_.size()) - 1;
        for (const UnitBase& quantity : fundamentals.getPhysicalQuantitySet()) {
            order_.push_back(&quantity);
        }
        // Entities past the bound get no rank: they take the general merge.
        order_.resize(std::min(order_.size(), kMaxRanks));
        // About one odd multiplier in ten sets the entities apart; should
        // none of these, probes past a taken slot still find every rank.
        for (std::uint64_t odd = 3; odd < 2048 && !apart(multiplier_); odd += 2) {
            multiplier_ = kGolden * odd;
        }
        for (std::size_t rank = 0; rank < order_.size(); ++rank) {
            std::size_t i = slotOf(order_[rank]);
            while (slots_[i].entity != nullptr) {
                i = (i + 1) % kSlots;
            }
            slots_[i] = {order_[rank], static_cast<int>(rank)};
        }
    }

    std::vector<const UnitBase*> order_;
    std::uint32_t unitRanks_ = 0;
    std::uint64_t multiplier_ = kGolden;
    // At most half full, so that a probe always ends.
    std::array<Slot, kSlots> slots_{};
};

// Fundamental entries gathered on the stack, in `compare` order: the pool
// then finds the block they equal without one being built.
class GatheredEntries {
public:
    std::span<const UnitAST::Entry> entries() const {
        return {std::launder(reinterpret_cast<const UnitAST::Entry*>(storage_.data())), size_};
    }
    void push(const UnitBase& entity, const Exponent& exponent) {
        new (storage_.data() + size_++ * sizeof(UnitAST::Entry)) UnitAST::Entry(entity, exponent);
    }

private:
    alignas(UnitAST::Entry)
        std::array<std::byte, FundamentalRanks::kMaxRanks * sizeof(UnitAST::Entry)> storage_;
    std::size_t size_ = 0;
};

// Exponent's *= for one part's exponent, decided once per part rather than
// once per entry. Unity and the inverse, which nearly every part has, give
// each part plus zero (in swapped places for the inverse): the same bits as
// the general products, whose zero terms add nothing but turn -0 into +0.
class Raise {
public:
    explicit Raise(const Exponent& by)
        : by_(by), kind_(by.getNegExpo() == 0.0 && by.getPosExpo() == 1.0   ? Kind::Unity
                         : by.getPosExpo() == 0.0 && by.getNegExpo() == 1.0 ? Kind::Inverse
                                                                            : Kind::General) {}
    void operator()(double pos, double neg, double& outPos, double& outNeg) const {
        switch (kind_) {
        case Kind::Unity:
            outPos = pos + 0.0;
            outNeg = neg + 0.0;
            return;
        case Kind::Inverse:
            outPos = neg + 0.0;
            outNeg = pos + 0.0;
            return;
        case Kind::General: {
            Exponent raised(pos, neg);
            raised *= by_;
            outPos = raised.getPosExpo();
            outNeg = raised.getNegExpo();
            return;
        }
        }
    }

private:
    enum class Kind { Unity, Inverse, General };
    Exponent by_;
    Kind kind_;
};

// The parts' fundamental expansions raised to their exponents, gathered into
// `out` as addToAST would merge them, when every part expands and every
// entry is a fundamental entity of one kind; false otherwise. Each entity's
// exponents add up in the parts' order, as in a merge, and the ranks seen
// give the order with no sort.
bool gatherFundamentals(const UnitAST& unitAST, std::span<const UnitDefinition* const> known,
                        GatheredEntries& out) {
    const FundamentalRanks& ranks = FundamentalRanks::get();
    const bool alone = unitAST.getAST().size() == 1;
    // Only the ranks seen are written and read.
    std::array<double, FundamentalRanks::kMaxRanks> sumPos;
    std::array<double, FundamentalRanks::kMaxRanks> sumNeg;
    std::uint32_t seen = 0;
    std::size_t index = 0;
    for (const auto& [part, exponent] : unitAST.getAST()) {
        const UnitDefinition& partDefinition = *known[index++];
        // An affine or reciprocal factor keeps its part from expanding.
        if (partDefinition.hasAffineOrReciprocalFactor() &&
            !(alone && exponent == Exponent::unity)) {
            return false;
        }
        const Raise raise(exponent);
        for (const auto& [entity, own] : partDefinition.getFundamentalAST().getAST()) {
            const int rank = ranks.of(entity.get());
            if (rank < 0) {
                return false;
            }
            double pos;
            double neg;
            raise(own.getPosExpo(), own.getNegExpo(), pos, neg);
            const auto at = static_cast<std::size_t>(rank);
            const std::uint32_t bit = 1U << rank;
            if ((seen & bit) != 0) {
                sumPos[at] += pos;
                sumNeg[at] += neg;
            } else {
                sumPos[at] = pos;
                sumNeg[at] = neg;
                seen |= bit;
            }
        }
    }
    if ((seen & ranks.unitRanks()) != 0 && (seen & ~ranks.unitRanks()) != 0) {
        return false;
    }
    for (; seen != 0; seen &= seen - 1) {
        const int rank = std::countr_zero(seen);
        const auto at = static_cast<std::size_t>(rank);
        out.push(ranks.at(rank), Exponent(sumPos[at], sumNeg[at]));
    }
    return true;
}

bool isUnity(const ScaledRational& scale) {
    return scale.getNumerator() == 1 && scale.getDenominator() == 1 && scale.getScale() == 0;
}

// `product` times `step` on exact scales; false, with `product` untouched,
// when the product leaves them.
bool multiplyExact(ScaledRational& product, const ScaledRational& step) {
    if (isUnity(product)) {
        product = step;
        return true;
    }
    const ScaledRational::Scale next = product.product(step);
    if (const auto* exact = std::get_if<ScaledRational>(&next)) {
        product = *exact;
        return true;
    }
    return false;
}

// multiplyByPower's step on exact scales held as they are; false, with
// `product` untouched, when the step leaves the exact scales. Unity, the
// exponent of most parts, takes the factor as it is.
bool multiplyExactByPower(ScaledRational& product, const ScaledRational& factor,
                          const Exponent& e) {
    if (isUnity(factor)) {
        return true;
    }
    if (equalsWhole(e, Exponent::unity)) {
        return multiplyExact(product, factor);
    }
    if (equalsWhole(e, Exponent::zero)) {
        return true;
    }
    const ScaledRational::Scale raised = factor.power(e);
    const auto* exact = std::get_if<ScaledRational>(&raised);
    return exact != nullptr && multiplyExact(product, *exact);
}

// The parts' fundamental factors raised to their exponents and multiplied, as
// the general expansion does, but on exact scales alone for as long as they
// last: no factor object per step.
ConversionFactor fundamentalProduct(const UnitAST& unitAST,
                                    std::span<const UnitDefinition* const> known) {
    ScaledRational exact = *ConversionFactor::unity.exactScale();
    const auto& entries = unitAST.getAST();
    std::size_t index = 0;
    for (; index < entries.size(); ++index) {
        const ConversionFactor& factor = known[index]->getFundamentalConversionFactor();
        const ScaledRational* scale = factor.isWellDefined() ? factor.exactScale() : nullptr;
        if (scale == nullptr ||
            !multiplyExactByPower(exact, *scale, entries.begin()[index].second)) {
            break;
        }
    }
    ConversionFactor product(exact);
    for (; index < entries.size(); ++index) {
        multiplyByPower(product, known[index]->getFundamentalConversionFactor(),
                        entries.begin()[index].second);
    }
    return product;
}

} // namespace

UnitDefinition UnitDefinition::generateDefinition(const UnitBase& entity, const UnitAST& unitAST,
                                                  UnitDBSet* set,
                                                  std::span<const UnitDefinition* const> known,
                                                  UnitASTPool* pool) {
    // The default factor is unity, which leaves the product as it is.
    std::optional<ConversionFactor> factor;
    if (!entity.hasDefaultFactor()) {
        const StoredConversionFactor& stored = entity.getConversionFactor();
        factor.emplace(
            ConversionFactorFactory::createConversionFactor(stored.first, stored.second));
    }
    const bool partsKnown = known.size() == unitAST.getAST().size();
    GatheredEntries gathered;
    const bool fundamentalsOnly = partsKnown && gatherFundamentals(unitAST, known, gathered);
    UnitAST fundamentalAST;
    ConversionFactor fundamentalFactor =
        fundamentalsOnly ? fundamentalProduct(unitAST, known)
                         : expandParts(unitAST, set, known, partsKnown, fundamentalAST);
    if (fundamentalsOnly) {
        if (pool != nullptr) {
            fundamentalAST = pool->intern(gathered.entries());
        } else {
            fundamentalAST.assignSorted(gathered.entries());
        }
    } else if (pool != nullptr) {
        pool->share(fundamentalAST);
    }
    if (factor && *factor != ConversionFactor::unity) {
        const bool wellDefined = fundamentalFactor.isWellDefined();
        multiply(fundamentalFactor, *factor);
        fundamentalFactor.setWellDefined(wellDefined && fundamentalFactor.isWellDefined());
    }
    UnitAST parts = unitAST;
    if (pool != nullptr) {
        parts.shrinkToFit();
    }
    return UnitDefinition(std::move(parts), std::move(fundamentalAST),
                          factor ? ownFactor(std::move(*factor)) : nullptr,
                          std::move(fundamentalFactor));
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
