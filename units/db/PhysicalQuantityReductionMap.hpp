#pragma once

// Every physical quantity as a product of base quantities, and back: which
// quantities a product of base quantities is.

#include "units/db/BaseExpression.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"

#include <atomic>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <shared_mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace CvUnitSys {

// Reduces each quantity of every database to base quantities (velocity to
// length^1 * time^-1) so that a computed product can be recognised as a named
// quantity. The manager owns the process-wide instance; it is filled once from
// all databases and emptied when the list of databases changes.
//
// Any thread may call it: fills, inserts and clears hold the lock exclusively,
// look-ups hold it shared. Printing takes no lock.
class PhysicalQuantityReductionMap {
public:
    using Tags = std::vector<ustring>;
    using QuantitySet =
        std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator>;

    PhysicalQuantityReductionMap();
    PhysicalQuantityReductionMap(const PhysicalQuantityReductionMap&) = delete;
    PhysicalQuantityReductionMap& operator=(const PhysicalQuantityReductionMap&) = delete;

    bool isInitialized() const { return initialized_.load(); }
    // Only the caller that starts the fill fills; the others return at once.
    // Errors of the definitions propagate and leave the map marked initialised.
    void initializeIfNeeded();
    void clear();

    // False, changing nothing, when the quantity's name is already there.
    bool insert(std::reference_wrapper<const UnitBase> pq);
    void insert(const QuantitySet& quantities);

    // Copies; empty for the default quantity and for names not in the map.
    BaseExpression getSimplifiedBaseExpression(const UnitBase& pq) const;
    BaseExpression getUnsimplifiedBaseExpression(const UnitBase& pq) const;
    BaseExpression getSimplifiedBaseExpression(const ustring& tag) const;
    BaseExpression getUnsimplifiedBaseExpression(const ustring& tag) const;
    // The quantities whose simplified base expression is `x`.
    Tags getMatching(const BaseExpression& x) const;

    // Adds the exponents of each run of equal tags in a tag-sorted list and
    // drops those that cancel; a dimensionless product is ("length", 0).
    static BaseExpression simplify(const BaseExpression& sorted);
    // Merges two sorted lists without combining terms; on a tie b's term goes first.
    static BaseExpression merge(const BaseExpression& a, const BaseExpression& b);

    static ustring getTag(const UnitBase& pq) { return ustring(pq.getName()); }
    const ustring& getDefaultTag() const { return defaultTag_; }

    friend std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out,
                                                    const PhysicalQuantityReductionMap& map);

private:
    // Each quantity's definition: its factors as (quantity name, exponent).
    struct Definition {
        BaseExpression components;
        std::reference_wrapper<const UnitBase> quantity;
    };
    using Definitions = std::unordered_map<ustring, Definition>;
    using ExpressionMap = std::unordered_map<ustring, BaseExpression>;

    // A fill starts from empty maps: a clear that lost the race for the lock
    // must not leave two fills' entries behind.
    void emptyMaps();
    void insertHelper(const QuantitySet& quantities);
    static Definitions genDefinitions(const QuantitySet& quantities);
    const BaseExpression& genUnsimplifiedBaseExpression(const ustring& tag,
                                                        const Definitions& definitions);
    // The expression, and whether it was made now rather than found.
    std::pair<const BaseExpression&, bool>
    genSimplifiedBaseExpression(const ustring& tag, const BaseExpression& unsimplified);
    BaseExpression getBaseExpression(const ustring& tag, const ExpressionMap& map) const;

    mutable std::shared_mutex lock_;
    std::atomic<bool> initialized_{false};
    ExpressionMap unsimplified_;
    ExpressionMap simplified_;
    std::map<BaseExpression, Tags, BaseExpressionMapComparator> inverse_;
    ustring defaultTag_;
};

} // namespace CvUnitSys
