#pragma once

// Infers the unit and physical quantity of a computed value from the units of
// its operands, and says which operands must be converted to which unit.

#include "units/db/BaseExpression.hpp"
#include "units/db/NoScalingUnitReductionMap.hpp"
#include "units/db/PhysicalQuantityReductionMap.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitDefinition.hpp"
#include "units/propagation/UnitHeuristicManager.hpp"
#include "units/propagation/UnitMathExpression.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace CvUnitSys {

class Unit;
class UnitTable;

// Works on a private copy of the expression in three passes: physical
// quantities bottom-up, then units bottom-up (registering each intermediate
// unit in the table), then, when an operand must be converted and the
// heuristics allow it, every leaf converted to fundamental units and the units
// pass once more. The result is registered in the table and survives the run;
// the intermediate units do not.
//
// One caller at a time; the engine takes no lock. The table, the maps and the
// heuristics are the caller's and must outlive the engine; the maps may be
// shared with other engines (they lock themselves). After an error the run's
// temporary units stay in the table until postPropagationCleanup() or the end
// of the next successful run.
class UnitPropagationEngine {
public:
    using OperationType = UnitMathExpression::OperationType;
    // Operand id to the id of the unit it must be converted to.
    using Conversions = std::map<std::int32_t, std::int32_t>;

    static const std::unordered_set<ustring, TextKeyHash, TextEqual> pressurePhysicalQuantities;
    static const std::unordered_set<ustring, TextKeyHash, TextEqual> temperaturePhysicalQuantities;

    struct PropagationNode {
        PropagationNode(bool resolvesQuantity, std::int32_t unitId, std::int32_t operandId,
                        const Exponent& exponent, OperationType operation);
        ~PropagationNode();
        PropagationNode(const PropagationNode&) = delete;
        PropagationNode& operator=(const PropagationNode&) = delete;

        bool resolvesQuantity;
        bool reciprocalJoin = false;
        std::int32_t unitId;
        std::int32_t operandId;
        Exponent exponent;
        OperationType operation;
        BaseExpression unsimplifiedBaseExpr;
        BaseExpression simplifiedBaseExpr;
        std::reference_wrapper<const UnitBase> physicalQuantity;
        std::unique_ptr<PropagationNode> left;
        std::unique_ptr<PropagationNode> right;
    };

    UnitPropagationEngine(UnitTable* table, PhysicalQuantityReductionMap* quantityMap,
                          NoScalingUnitReductionMap* noScalingMap,
                          UnitHeuristicManager* heuristics);
    UnitPropagationEngine(const UnitPropagationEngine&) = delete;
    UnitPropagationEngine& operator=(const UnitPropagationEngine&) = delete;
    ~UnitPropagationEngine();

    void init(const UnitMathExpression& expression);
    bool isInitialized() const { return root_ != nullptr; }
    // The result unit's id and the conversions the operands need; the working
    // tree is discarded. Without init, or when no unit can be formed for the
    // result, "InvalidUnitId" (-10); an operand id the table does not hold as a
    // unit, "InvalidUnitId" with that id.
    std::pair<std::int32_t, Conversions> propagate();

    void prePropagationSetup();
    // Removes the run's temporary units from the table and forgets the run.
    void postPropagationCleanup();
    void initNoScalingUnitRM();
    // The id of the text, registering it as a temporary unit when new.
    std::int32_t registerUnit(const ustring& text);
    const UnitDefinition& getDefinition(const UnitBase& unit);
    void setPhysicalQuantity(PropagationNode& node, const UnitBase& quantity);

    bool physicalQuantitiesAreCompatible(const UnitBase& a, const UnitBase& b) const;
    bool physicalQuantitiesAreReciprocal(const UnitBase& a, const UnitBase& b) const;

    // The result text: the one unit with exactly this scaling when there is
    // one, else the reduced expression in the given format.
    ustring simplifyOutputUnit(const UnitBase* unit, UnitHeuristicManager::UnitOutputFormat format);
    ustring reformatOutputUnitExpression(const UnitBase* unit,
                                         UnitHeuristicManager::UnitOutputFormat format);

    // "add", "subtract", "multiply", "divide", "exponentiate", or "perform no
    // operation on".
    static ustring operationWord(OperationType operation);

private:
    void initSpecialRelatedPQs();
    // Whether a recorded relation from a to b is reciprocal; nothing when none is recorded.
    std::optional<bool> recordedRelation(const UnitBase& a, const UnitBase& b) const;
    std::unique_ptr<PropagationNode> buildPropagationTree(const UnitMathExpression::TreeNode* node,
                                                          OperationType parentOperation);
    void calculatePhysicalQuantities(PropagationNode& root);
    BaseExpression astToUnsimplifiedPhysicalQuantityExpression(const UnitAST& ast) const;
    void joinPhysicalQuantitiesAddSubtract(PropagationNode& node);
    void joinPhysicalQuantitiesMultiplyDivide(PropagationNode& node);
    void joinPhysicalQuantitiesPow(PropagationNode& node);
    const UnitBase& resolvePhysicalQuantityAddSubtract(const UnitBase& a, const UnitBase& b) const;
    const UnitBase& resolvePhysicalQuantityMultiplyDivide(const BaseExpression& simplified);
    // Whether conversion is needed.
    bool calculateUnitsBottomUp(PropagationNode& root);
    bool joinUnitsAddSubtractBottomUp(PropagationNode& node);
    bool joinUnitsMultiplyDivideBottomUp(PropagationNode& node);
    bool joinUnitsPowBottomUp(PropagationNode& node);
    void convertLeaves(PropagationNode& root, bool invert);

    const Unit& unitOf(std::int32_t id) const;
    // Keeps a temporary unit that is about to leave the table for the next run.
    void retire(std::int32_t id);
    // Empties the caches when the databases changed since they were made.
    void checkCacheVersion();
    // Units that cannot be multiplied or raised without converting first.
    bool isAffine(const Unit& unit);

    std::unique_ptr<PropagationNode> root_;
    std::vector<std::int32_t> temporaryUnitIds_;
    Conversions conversions_;
    UnitTable* table_;
    PhysicalQuantityReductionMap* quantityMap_;
    NoScalingUnitReductionMap* noScalingMap_;
    UnitHeuristicManager* heuristics_;
    // Intermediate units of earlier runs, by text: removed from the table at
    // the end of each run, so the table holds none after it, but kept here so that the
    // next run puts the same unit back instead of parsing and resolving its
    // text again. Dropped when the databases change.
    struct RetiredUnit {
        ustring key;
        std::unique_ptr<UnitBase> unit;
    };
    std::unordered_map<ustring, RetiredUnit> retiredUnits_;
    // Result texts by the result unit's symbol and format: the no-scaling map
    // and the definitions they come from change only with the databases.
    std::map<std::pair<ustring, std::int32_t>, ustring> outputTexts_;
    // Quantities whose definitions the set has generated already.
    std::unordered_set<const UnitBase*> definedQuantities_;
    // Whether a unit, by symbol, has an offset.
    std::unordered_map<ustring, bool, TextKeyHash, TextEqual> affineUnits_;
    // The one quantity a simplified base expression names, or the default one.
    std::unordered_map<BaseExpression, std::reference_wrapper<const UnitBase>, BaseExpressionHash>
        namedQuantities_;
    // The databases' version the caches above were made for.
    std::uint32_t cacheVersion_ = 0;
    // Quantity name to related quantity name to whether the relation is reciprocal.
    std::unordered_map<ustring, std::unordered_map<ustring, bool, TextKeyHash, TextEqual>,
                       TextKeyHash, TextEqual>
        specialRelatedPQs_;
};

} // namespace CvUnitSys
