#pragma once

#include "units/foundation/ConversionFactor.hpp"
#include "units/model/ExponentUsage.hpp"
#include "units/model/UnitAST.hpp"
#include "units/query/UnitComparison.hpp"

#include <memory>
#include <optional>
#include <span>

namespace CvUnitSys {

class UnitASTPool;
class UnitDBSet;

// What an entity is in terms of other entities and, fully expanded, in terms
// of the fundamental ones, with the factors on both levels. Two entities are
// convertible when their fundamental expansions match, and the ratio of their
// fundamental factors converts between them.
class UnitDefinition {
public:
    UnitDefinition(UnitAST unitAST, UnitAST fundamentalAST, ConversionFactor factor,
                   ConversionFactor fundamentalFactor, bool generated);
    UnitDefinition(const UnitDefinition& o);
    UnitDefinition& operator=(const UnitDefinition& o);
    UnitDefinition(UnitDefinition&&) noexcept = default;
    UnitDefinition& operator=(UnitDefinition&&) noexcept = default;
    ~UnitDefinition() = default;

    const UnitAST& getUnitAST() const { return unitAST_; }
    const UnitAST& getFundamentalAST() const { return fundamentalAST_; }
    const ConversionFactor& getConversionFactor() const {
        return factor_ != nullptr ? *factor_ : defaultFactor();
    }
    // Whether the factor is the default one, which is neither affine nor reciprocal.
    bool hasDefaultFactor() const { return factor_ == nullptr; }
    // Whether the factor is affine or reciprocal, known without reading it:
    // a product asks it of each part, whose factor is rarely in cache.
    bool hasAffineOrReciprocalFactor() const { return affineOrReciprocal_; }
    const ConversionFactor& getFundamentalConversionFactor() const { return fundamentalFactor_; }
    bool isGenerated() const { return generated_; }
    // Makes a definition that is kept small: its ASTs without room to grow,
    // the fundamental one shared with an equal one of the pool.
    void compact(UnitASTPool& pool);

    // Expands the entity's expression through the set down to fundamental
    // entities, multiplying the factors on the way. An affine or reciprocal
    // entity inside a compound expression stays unexpanded and makes the
    // fundamental factor not well defined: such a product has no exact scale.
    static UnitDefinition generateDefinition(const UnitBase& entity, UnitDBSet* set);
    // The entities the entity's expression names, looked up in the set:
    // "UnitNotInDatabase" or "PhysicalQuantityNotInDatabase" for a missing one.
    static UnitAST partsOf(const UnitBase& entity, const UnitDBSet* set);
    // As above, with the entities of the expression already looked up, and
    // their definitions when the caller has them (one per entry, in order).
    // With those and a pool, the result is compact already: its fundamental
    // AST is the pool's.
    static UnitDefinition generateDefinition(const UnitBase& entity, const UnitAST& unitAST,
                                             UnitDBSet* set,
                                             std::span<const UnitDefinition* const> known = {},
                                             UnitASTPool* pool = nullptr);
    static UnitComparison equivalent(const UnitDefinition& a, const UnitDefinition& b,
                                     ExponentUsage usage);
    static bool areConvertible(const UnitDefinition& a, const UnitDefinition& b,
                               ExponentUsage usage);
    // The factor from `from` to `to`, through a special relation between their
    // quantities when there is one.
    static ConversionFactor
    calculateConversionFactor(const std::optional<ConversionFactor>& special,
                              const UnitDefinition& from, const UnitDefinition& to,
                              const UnitDBSet* set);

    // Whether the unit's fundamental units, each replaced by its physical
    // quantity's expansion, give the quantity's fundamental expansion.
    static bool physicalQuantityValidForUnit(const UnitDefinition& unitDefinition,
                                             const UnitDefinition& quantityDefinition,
                                             const UnitDBSet* set, ExponentUsage usage);

    // The factor of entities given none (a double 1).
    static const ConversionFactor& defaultFactor();

private:
    // A generated definition whose factor is given as it is kept.
    UnitDefinition(UnitAST unitAST, UnitAST fundamentalAST,
                   std::unique_ptr<const ConversionFactor> factor,
                   ConversionFactor fundamentalFactor);
    static std::unique_ptr<const ConversionFactor> ownFactor(ConversionFactor factor);

    UnitAST unitAST_;
    UnitAST fundamentalAST_;
    // Null for the default factor, which most entities carry: a definition is
    // cached for every registered unit, and this spares each a factor.
    std::unique_ptr<const ConversionFactor> factor_;
    // The flag sits in the factor's padding, which keeps the definition of
    // each registered unit, and its map node, a heap chunk smaller.
    [[no_unique_address]] ConversionFactor fundamentalFactor_;
    bool generated_;
    bool affineOrReciprocal_;
};

} // namespace CvUnitSys
