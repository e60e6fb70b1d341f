#include "units/model/UnitDefinition.hpp"

namespace CvUnitSys {

UnitDefinition::UnitDefinition(const UnitAST& unitAST, const UnitAST& fundamentalAST,
                               const ConversionFactor& factor,
                               const ConversionFactor& fundamentalFactor, bool generated,
                               const UnitDBSet* set)
    : unitAST_(unitAST), fundamentalAST_(fundamentalAST), factor_(factor),
      fundamentalFactor_(fundamentalFactor), generated_(generated), set_(set) {}

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
    const bool aAffine = !a.factor_.isEmpty() && a.factor_.isAffine();
    const bool bAffine = !b.factor_.isEmpty() && b.factor_.isAffine();
    if (aAffine && bAffine) {
        return a.factor_.getOffset() == b.factor_.getOffset() ? CanonicalScalingFactorDifference
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
