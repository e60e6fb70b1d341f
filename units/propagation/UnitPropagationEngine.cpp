#include "units/propagation/UnitPropagationEngine.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/propagation/TreeDismantling.hpp"
#include "units/query/UnitTable.hpp"

#include <algorithm>
#include <typeinfo>

namespace CvUnitSys {

namespace {

using Node = UnitPropagationEngine::PropagationNode;

const UnitBase& defaultQuantity() {
    return UnitFactory::getDefaultPhysicalQuantity();
}

bool isDefault(const UnitBase& quantity) {
    return quantity.compare(defaultQuantity()) == 0;
}

bool isMultiplyOrDivide(UnitMathExpression::OperationType op) {
    return op == UnitMathExpression::Multiply || op == UnitMathExpression::Divide;
}

// An operation node that lacks an operand has no unit to work from.
[[noreturn]] void missingOperand() {
    throwUnitMsg("InvalidUnitId", {std::int64_t{UnitMathExpression::NoUnitId}});
}

Node& leftOf(Node& node) {
    if (!node.left) {
        missingOperand();
    }
    return *node.left;
}

Node& rightOf(Node& node) {
    if (!node.right) {
        missingOperand();
    }
    return *node.right;
}

// Left subtree, right subtree, node: the order every bottom-up pass needs,
// without recursing once per level.
std::vector<Node*> postOrder(Node& root) {
    std::vector<Node*> out;
    std::vector<Node*> pending{&root};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        out.push_back(node);
        if (node->left) {
            pending.push_back(node->left.get());
        }
        if (node->right) {
            pending.push_back(node->right.get());
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

BaseExpression raised(BaseExpression expression, const Exponent& e) {
    for (auto& term : expression) {
        term.second *= e;
    }
    return expression;
}

bool sameTerms(const BaseExpression& a, const BaseExpression& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
               return x.first == y.first && x.second == y.second;
           });
}

} // namespace

const std::unordered_set<ustring, TextKeyHash, TextEqual>
    UnitPropagationEngine::pressurePhysicalQuantities{u"pressure", u"absolute_pressure",
                                                      u"gage_pressure"};
const std::unordered_set<ustring, TextKeyHash, TextEqual>
    UnitPropagationEngine::temperaturePhysicalQuantities{u"thermodynamic_temperature",
                                                         u"temperature_difference"};

UnitPropagationEngine::PropagationNode::PropagationNode(bool resolvesQuantity_,
                                                        std::int32_t unitId_,
                                                        std::int32_t operandId_,
                                                        const Exponent& exponent_,
                                                        OperationType operation_)
    : resolvesQuantity(resolvesQuantity_), unitId(unitId_), operandId(operandId_),
      exponent(exponent_), operation(operation_), physicalQuantity(defaultQuantity()) {}

UnitPropagationEngine::PropagationNode::~PropagationNode() {
    dismantleChildren(*this);
}

UnitPropagationEngine::UnitPropagationEngine(UnitTable* table,
                                             PhysicalQuantityReductionMap* quantityMap,
                                             NoScalingUnitReductionMap* noScalingMap,
                                             UnitHeuristicManager* heuristics)
    : table_(table), quantityMap_(quantityMap), noScalingMap_(noScalingMap),
      heuristics_(heuristics) {
    initSpecialRelatedPQs();
}

UnitPropagationEngine::~UnitPropagationEngine() = default;

ustring UnitPropagationEngine::operationWord(OperationType operation) {
    switch (operation) {
    case UnitMathExpression::Add:
        return u"add";
    case UnitMathExpression::Subtract:
        return u"subtract";
    case UnitMathExpression::Multiply:
        return u"multiply";
    case UnitMathExpression::Divide:
        return u"divide";
    case UnitMathExpression::Exponentiate:
        return u"exponentiate";
    default:
        return u"perform no operation on";
    }
}

void UnitPropagationEngine::initSpecialRelatedPQs() {
    UnitDBSet& set = table_->getUnitDBSetForQuery();
    for (const auto& p : set.getAllPhysicalQuantities()) {
        const ustring name(p.get().getName());
        UnitDBManager::m_UnitDBManager.iterateAll([&](const UnitDatabase& database) {
            for (const ustring& related : database.getRelatedPhysicalQuantities(name)) {
                const auto q = set.findPhysicalQuantity(related);
                if (q.empty()) {
                    continue;
                }
                const auto factor = set.getSpecialConversionFactor(p, *q.begin());
                if (factor) {
                    specialRelatedPQs_[name].try_emplace(related, factor->isReciprocal());
                }
            }
        });
    }
}

std::optional<bool> UnitPropagationEngine::recordedRelation(const UnitBase& a,
                                                            const UnitBase& b) const {
    const auto byA = specialRelatedPQs_.find(a.getName());
    if (byA == specialRelatedPQs_.end()) {
        return std::nullopt;
    }
    const auto byB = byA->second.find(b.getName());
    return byB == byA->second.end() ? std::nullopt : std::optional(byB->second);
}

bool UnitPropagationEngine::physicalQuantitiesAreReciprocal(const UnitBase& a,
                                                            const UnitBase& b) const {
    if (isDefault(a) || isDefault(b) || a.compare(b) == 0) {
        return false;
    }
    return recordedRelation(a, b).value_or(false);
}

bool UnitPropagationEngine::physicalQuantitiesAreCompatible(const UnitBase& a,
                                                            const UnitBase& b) const {
    if (isDefault(a) || isDefault(b) || a.compare(b) == 0) {
        return true;
    }
    const auto reciprocal = recordedRelation(a, b);
    return reciprocal && !*reciprocal;
}

void UnitPropagationEngine::init(const UnitMathExpression& expression) {
    root_ = buildPropagationTree(expression.root(), UnitMathExpression::NoOperation);
}

std::unique_ptr<Node>
UnitPropagationEngine::buildPropagationTree(const UnitMathExpression::TreeNode* node,
                                            OperationType parentOperation) {
    if (node == nullptr) {
        return nullptr;
    }
    const auto make = [](const UnitMathExpression::TreeNode& source, OperationType parent) {
        const bool resolves = !(isMultiplyOrDivide(source.operation) && isMultiplyOrDivide(parent));
        return std::make_unique<Node>(resolves, source.unitId, source.operandId, source.exponent,
                                      source.operation);
    };
    auto root = make(*node, parentOperation);
    std::vector<std::pair<const UnitMathExpression::TreeNode*, Node*>> pending{{node, root.get()}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        if (source->left) {
            target->left = make(*source->left, source->operation);
            pending.emplace_back(source->left.get(), target->left.get());
        }
        if (source->right) {
            target->right = make(*source->right, source->operation);
            pending.emplace_back(source->right.get(), target->right.get());
        }
    }
    return root;
}

const Unit& UnitPropagationEngine::unitOf(std::int32_t id) const {
    table_->checkUnitId(id);
    const auto* unit = dynamic_cast<const Unit*>(table_->getUnit(id));
    // Inherit and mixed stand for units not known yet: nothing to compute with.
    if (unit == nullptr || id == UnitTable::InheritUnitId || id == UnitTable::MixedUnitId) {
        throwUnitMsg("InvalidUnitId", {std::int64_t{id}});
    }
    return *unit;
}

const UnitDefinition& UnitPropagationEngine::getDefinition(const UnitBase& unit) {
    return table_->getUnitDBSetForQuery().definitionOf(unit);
}

void UnitPropagationEngine::setPhysicalQuantity(PropagationNode& node, const UnitBase& quantity) {
    if (!isDefault(quantity) && !definedQuantities_.contains(&quantity)) {
        try {
            table_->getUnitDBSetForQuery().genUnitDefinition(quantity);
            definedQuantities_.insert(&quantity);
        } catch (const std::bad_cast&) {
            // A quantity that is not of the kind the set expects keeps no
            // definition; the node still carries it.
        }
    }
    node.physicalQuantity = quantity;
}

void UnitPropagationEngine::prePropagationSetup() {
    checkCacheVersion();
    temporaryUnitIds_.clear();
    conversions_.clear();
    quantityMap_->initializeIfNeeded();
}

void UnitPropagationEngine::postPropagationCleanup() {
    // The result and the conversion targets are kept even when an
    // intermediate step first registered the same text.
    const std::int32_t result = root_ ? root_->unitId : UnitMathExpression::NoUnitId;
    for (const std::int32_t id : temporaryUnitIds_) {
        const bool kept =
            id == result || std::any_of(conversions_.begin(), conversions_.end(),
                                        [id](const auto& c) { return c.second == id; });
        if (!kept && table_->isUnitIdValid(id)) {
            retire(id);
            table_->removeUnit(*table_->getUnit(id));
        }
    }
    temporaryUnitIds_.clear();
    conversions_.clear();
    root_.reset();
}

void UnitPropagationEngine::checkCacheVersion() {
    const std::uint32_t version = UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
    if (version != cacheVersion_) {
        retiredUnits_.clear();
        outputTexts_.clear();
        definedQuantities_.clear();
        affineUnits_.clear();
        namedQuantities_.clear();
        cacheVersion_ = version;
    }
}

void UnitPropagationEngine::retire(std::int32_t id) {
    // Only a plain resolved expression comes back as it was: the table keeps
    // other marks for units with a quantity, unresolved or ambiguous ones.
    const ustring text(table_->getUserSpecifiedUnitExpr(id));
    if (table_->isUnitUnresolved(id) || table_->isUnitAmbiguous(id) ||
        text.find(u'@') != ustring::npos) {
        return;
    }
    if (const auto kept = retiredUnits_.find(text);
        kept != retiredUnits_.end() && kept->second.unit->getId() == id) {
        return;
    }
    retiredUnits_.insert_or_assign(
        text, RetiredUnit{normalizeUnitExpression(text), table_->getUnit(id)->clone()});
}

void UnitPropagationEngine::initNoScalingUnitRM() {
    noScalingMap_->initializeIfNeeded(table_->getUnitDBSetForQuery());
}

std::int32_t UnitPropagationEngine::registerUnit(const ustring& text) {
    const std::int32_t existing = table_->getUnitId(text, true);
    if (table_->isUnitIdValid(existing)) {
        return existing;
    }
    if (const auto retired = retiredUnits_.find(text); retired != retiredUnits_.end()) {
        const std::int32_t id = retired->second.unit->getId();
        if (!table_->isUnitIdValid(id)) {
            table_->addUnit(retired->second.key, retired->second.unit->clone());
            temporaryUnitIds_.push_back(id);
            return id;
        }
    }
    const std::int32_t id = table_->registerUnit(text, true, true);
    temporaryUnitIds_.push_back(id);
    return id;
}

std::pair<std::int32_t, UnitPropagationEngine::Conversions> UnitPropagationEngine::propagate() {
    if (!root_) {
        throwUnitMsg("InvalidUnitId", {std::int64_t{UnitMathExpression::NoUnitId}});
    }
    prePropagationSetup();
    calculatePhysicalQuantities(*root_);
    if (calculateUnitsBottomUp(*root_)) {
        convertLeaves(*root_, false);
        calculateUnitsBottomUp(*root_);
    }
    const Unit& unit = unitOf(root_->unitId);
    const auto format = heuristics_->getUnitOutputFormat();
    std::pair<ustring, std::int32_t> key{unit.getSymbol(), format};
    auto cached = outputTexts_.find(key);
    if (cached == outputTexts_.end()) {
        cached = outputTexts_.emplace(std::move(key), simplifyOutputUnit(&unit, format)).first;
    }
    ustring text = cached->second;
    const UnitBase& quantity = root_->physicalQuantity;
    if (!isDefault(quantity)) {
        text += u'@';
        text += quantity.getSymbol();
    }
    root_->unitId = table_->registerUnit(text, true, true);
    std::pair<std::int32_t, Conversions> result{root_->unitId, conversions_};
    postPropagationCleanup();
    return result;
}

void UnitPropagationEngine::calculatePhysicalQuantities(PropagationNode& root) {
    for (Node* node : postOrder(root)) {
        switch (node->operation) {
        case UnitMathExpression::Add:
        case UnitMathExpression::Subtract:
            joinPhysicalQuantitiesAddSubtract(*node);
            break;
        case UnitMathExpression::Multiply:
        case UnitMathExpression::Divide:
            joinPhysicalQuantitiesMultiplyDivide(*node);
            break;
        case UnitMathExpression::Exponentiate:
            joinPhysicalQuantitiesPow(*node);
            break;
        default:
            if (node->left || node->right) {
                break;
            }
            const Unit& unit = unitOf(node->unitId);
            const UnitBase* quantity = unit.getPhysicalQuantity();
            if (quantity != nullptr && !isDefault(*quantity)) {
                node->unsimplifiedBaseExpr = quantityMap_->getUnsimplifiedBaseExpression(*quantity);
                node->simplifiedBaseExpr = quantityMap_->getSimplifiedBaseExpression(*quantity);
                setPhysicalQuantity(*node, *quantity);
            } else {
                node->unsimplifiedBaseExpr = astToUnsimplifiedPhysicalQuantityExpression(
                    getDefinition(unit).getFundamentalAST());
                node->simplifiedBaseExpr =
                    PhysicalQuantityReductionMap::simplify(node->unsimplifiedBaseExpr);
                setPhysicalQuantity(
                    *node, resolvePhysicalQuantityMultiplyDivide(node->simplifiedBaseExpr));
            }
        }
    }
}

BaseExpression
UnitPropagationEngine::astToUnsimplifiedPhysicalQuantityExpression(const UnitAST& ast) const {
    BaseExpression out;
    for (const auto& [entity, e] : ast.getAST()) {
        const auto* unit = dynamic_cast<const Unit*>(&entity.get());
        if (unit == nullptr || unit->getPhysicalQuantity() == nullptr) {
            continue;
        }
        for (auto [tag, x] :
             quantityMap_->getUnsimplifiedBaseExpression(*unit->getPhysicalQuantity())) {
            x *= e;
            out.emplace_back(std::move(tag), x);
        }
    }
    std::stable_sort(out.begin(), out.end(), TagExponentSortComparator());
    return out;
}

const UnitBase&
UnitPropagationEngine::resolvePhysicalQuantityMultiplyDivide(const BaseExpression& simplified) {
    if (const auto known = namedQuantities_.find(simplified); known != namedQuantities_.end()) {
        return known->second;
    }
    const auto matching = quantityMap_->getMatching(simplified);
    const UnitBase& quantity =
        matching.size() == 1 ? table_->getUnitDBSetForQuery().getPhysicalQuantity(matching.front())
                             : defaultQuantity();
    namedQuantities_.emplace(simplified, quantity);
    return quantity;
}

const UnitBase& UnitPropagationEngine::resolvePhysicalQuantityAddSubtract(const UnitBase& a,
                                                                          const UnitBase& b) const {
    return isDefault(a) ? b : a;
}

void UnitPropagationEngine::joinPhysicalQuantitiesAddSubtract(PropagationNode& node) {
    const Node& l = leftOf(node);
    const Node& r = rightOf(node);
    const UnitBase& lq = l.physicalQuantity;
    const UnitBase& rq = r.physicalQuantity;
    // Members of one family (gage and absolute pressure) are related by the
    // databases; the node takes the left one's quantity while the checks below decide.
    const bool samePressureFamily = pressurePhysicalQuantities.contains(lq.getName()) &&
                                    pressurePhysicalQuantities.contains(rq.getName());
    const bool sameTemperatureFamily = temperaturePhysicalQuantities.contains(lq.getName()) &&
                                       temperaturePhysicalQuantities.contains(rq.getName());
    if (samePressureFamily || sameTemperatureFamily) {
        setPhysicalQuantity(node, lq);
    }
    if (physicalQuantitiesAreReciprocal(lq, rq)) {
        node.reciprocalJoin = true;
        node.simplifiedBaseExpr = l.simplifiedBaseExpr;
        node.unsimplifiedBaseExpr = l.unsimplifiedBaseExpr;
        setPhysicalQuantity(node, lq);
        return;
    }
    if (!physicalQuantitiesAreCompatible(lq, rq) ||
        !sameTerms(l.simplifiedBaseExpr, r.simplifiedBaseExpr)) {
        throwUnitMsg("UnitPropagationEnginePhysicalQuantityOperationUndefined",
                     {operationWord(node.operation), ustring(lq.getName()), ustring(rq.getName())});
    }
    node.unsimplifiedBaseExpr = sameTerms(l.unsimplifiedBaseExpr, r.unsimplifiedBaseExpr)
                                    ? l.unsimplifiedBaseExpr
                                    : l.simplifiedBaseExpr;
    node.simplifiedBaseExpr = l.simplifiedBaseExpr;
    setPhysicalQuantity(node, resolvePhysicalQuantityAddSubtract(lq, rq));
}

void UnitPropagationEngine::joinPhysicalQuantitiesMultiplyDivide(PropagationNode& node) {
    const Node& l = leftOf(node);
    const Node& r = rightOf(node);
    node.unsimplifiedBaseExpr = PhysicalQuantityReductionMap::merge(
        l.unsimplifiedBaseExpr, node.operation == UnitMathExpression::Divide
                                    ? raised(r.unsimplifiedBaseExpr, Exponent(-1.0))
                                    : r.unsimplifiedBaseExpr);
    node.simplifiedBaseExpr = PhysicalQuantityReductionMap::simplify(node.unsimplifiedBaseExpr);
    // An inner factor of a product chain is not named: only the whole chain is.
    setPhysicalQuantity(node, node.resolvesQuantity
                                  ? resolvePhysicalQuantityMultiplyDivide(node.simplifiedBaseExpr)
                                  : defaultQuantity());
}

void UnitPropagationEngine::joinPhysicalQuantitiesPow(PropagationNode& node) {
    node.unsimplifiedBaseExpr = raised(leftOf(node).unsimplifiedBaseExpr, node.exponent);
    node.simplifiedBaseExpr = PhysicalQuantityReductionMap::simplify(node.unsimplifiedBaseExpr);
    setPhysicalQuantity(node, resolvePhysicalQuantityMultiplyDivide(node.simplifiedBaseExpr));
}

bool UnitPropagationEngine::calculateUnitsBottomUp(PropagationNode& root) {
    // The answers of the subtrees, most recent last: each node takes its
    // operands' answers and leaves its own.
    std::vector<bool> answers;
    for (Node* node : postOrder(root)) {
        bool needed = false;
        const int operands = (node->left ? 1 : 0) + (node->right ? 1 : 0);
        for (int i = 0; i < operands; ++i) {
            needed = answers.back() || needed;
            answers.pop_back();
        }
        if (!needed && operands > 0) {
            switch (node->operation) {
            case UnitMathExpression::Add:
            case UnitMathExpression::Subtract:
                needed = joinUnitsAddSubtractBottomUp(*node);
                break;
            case UnitMathExpression::Multiply:
            case UnitMathExpression::Divide:
                needed = joinUnitsMultiplyDivideBottomUp(*node);
                break;
            case UnitMathExpression::Exponentiate:
                needed = joinUnitsPowBottomUp(*node);
                break;
            default:
                break;
            }
        }
        if (needed) {
            node->unitId = UnitMathExpression::NoUnitId;
        }
        answers.push_back(needed);
    }
    return answers.back();
}

bool UnitPropagationEngine::joinUnitsAddSubtractBottomUp(PropagationNode& node) {
    const Node& l = leftOf(node);
    const Node& r = rightOf(node);
    const Unit& lu = unitOf(l.unitId);
    const Unit& ru = unitOf(r.unitId);
    // A database unit's definition holds the units it is defined in (ft and
    // in both hold m), so the factors on them must agree too, or 1 ft + 1 in
    // would come out as 2 ft.
    const UnitDefinition& ld = getDefinition(lu);
    const UnitDefinition& rd = getDefinition(ru);
    if (!node.reciprocalJoin && ld.getUnitAST().equal(rd.getUnitAST(), UseSimplifiedExpo) &&
        ld.getConversionFactor() == rd.getConversionFactor()) {
        node.unitId = l.unitId;
        return false;
    }
    if (heuristics_->getConversionMode() == UnitHeuristicManager::ErrorOnConversion) {
        throwUnitMsg(
            "UnitPropagationEngineOperationRequiresConversion",
            {operationWord(node.operation), ustring(lu.getSymbol()), ustring(ru.getSymbol())});
    }
    return true;
}

bool UnitPropagationEngine::isAffine(const Unit& unit) {
    const ConversionFactorType type = unit.getConversionFactor().second;
    if (type == ConversionFactorType::RationalAffine ||
        type == ConversionFactorType::DoubleAffine) {
        return true;
    }
    // A unit the table made from an expression stores no factor of its own;
    // its definition says whether an offset is involved.
    const auto known = affineUnits_.find(unit.getSymbol());
    if (known != affineUnits_.end()) {
        return known->second;
    }
    const ConversionFactor& factor = getDefinition(unit).getFundamentalConversionFactor();
    const bool affine = factor.isEmpty() || factor.isAffine();
    affineUnits_.emplace(unit.getSymbol(), affine);
    return affine;
}

bool UnitPropagationEngine::joinUnitsMultiplyDivideBottomUp(PropagationNode& node) {
    const Node& l = leftOf(node);
    const Node& r = rightOf(node);
    const Unit& lu = unitOf(l.unitId);
    const Unit& ru = unitOf(r.unitId);
    if (!isAffine(lu) && !isAffine(ru)) {
        const char16_t* op = node.operation == UnitMathExpression::Multiply ? u")*(" : u")/(";
        node.unitId =
            registerUnit(u"(" + ustring(lu.getSymbol()) + op + ustring(ru.getSymbol()) + u")");
        return false;
    }
    if (heuristics_->getConversionMode() == UnitHeuristicManager::ErrorOnConversion) {
        throwUnitMsg(
            "UnitPropagationEngineOperationRequiresConversion",
            {operationWord(node.operation), ustring(lu.getSymbol()), ustring(ru.getSymbol())});
    }
    return true;
}

bool UnitPropagationEngine::joinUnitsPowBottomUp(PropagationNode& node) {
    const Unit& lu = unitOf(leftOf(node).unitId);
    const ustring power = UnitMathExpression::exponentText(node.exponent);
    if (!isAffine(lu)) {
        node.unitId = registerUnit(u"(" + ustring(lu.getSymbol()) + u")^" + power);
        return false;
    }
    if (heuristics_->getConversionMode() == UnitHeuristicManager::ErrorOnConversion) {
        throwUnitMsg("UnitPropagationEngineExponentiationRequiresConversion",
                     {ustring(lu.getSymbol()), power});
    }
    return true;
}

void UnitPropagationEngine::convertLeaves(PropagationNode& root, bool invert) {
    // Leaves left to right, each with whether its exponents are inverted.
    std::vector<std::pair<Node*, bool>> pending{{&root, invert}};
    while (!pending.empty()) {
        const auto [node, inverted] = pending.back();
        pending.pop_back();
        if (node->left || node->right) {
            if (node->right) {
                pending.emplace_back(node->right.get(), inverted != node->reciprocalJoin);
            }
            if (node->left) {
                pending.emplace_back(node->left.get(), inverted);
            }
            node->reciprocalJoin = false;
            continue;
        }
        ustring text;
        for (const auto& [unit, e] :
             getDefinition(unitOf(node->unitId)).getFundamentalAST().getAST()) {
            const double power = inverted ? -e.getSimplifiedExpo() : e.getSimplifiedExpo();
            text += (text.empty() ? u"" : u"*") + ustring(unit.get().getDisplayString());
            if (power != 1.0) {
                text += u"^" + UnitMathExpression::exponentText(Exponent(power));
            }
        }
        // A dimensionless leaf has no fundamental units; the empty text would
        // register as the unspecified unit, which then joins with nothing.
        const std::int32_t id = registerUnit(text.empty() ? ustring(u"1") : text);
        if (id == node->unitId) {
            continue;
        }
        node->unitId = id;
        conversions_[node->operandId] = id;
        if (!temporaryUnitIds_.empty() && temporaryUnitIds_.back() == id) {
            temporaryUnitIds_.pop_back();
        }
    }
}

ustring UnitPropagationEngine::simplifyOutputUnit(const UnitBase* unit,
                                                  UnitHeuristicManager::UnitOutputFormat format) {
    if (!noScalingMap_->isInitialized()) {
        try {
            initNoScalingUnitRM();
        } catch (const std::bad_cast&) {
            // As for quantities: an entity of another kind leaves the map as filled so far.
        }
    }
    const UnitDefinition& definition = getDefinition(*unit);
    const ConversionFactor& factor = definition.getFundamentalConversionFactor();
    if (!factor.isEmpty()) {
        const auto matching = noScalingMap_->getMatching(
            NoScalingUnitReductionMap::astToBaseExpression(definition.getFundamentalAST()), factor);
        if (matching.size() == 1) {
            return matching.front();
        }
    }
    return reformatOutputUnitExpression(unit, format);
}

ustring
UnitPropagationEngine::reformatOutputUnitExpression(const UnitBase* unit,
                                                    UnitHeuristicManager::UnitOutputFormat format) {
    // The symbol, not the display string: a unit the table copied from a
    // database displays its definition, which drops its scale and offset
    // (km displays m, degC displays K).
    UnitExpr parsed;
    parseUnitExprThrows(ustring(unit->getSymbol()), parsed);
    const bool negativeExponents = format == UnitHeuristicManager::NegativeExponents;
    const auto item = [](const ustring& symbol, double power) {
        return power == 1.0 ? symbol : symbol + u"^" + UnitMathExpression::exponentText(power);
    };
    std::vector<ustring> numerator;
    std::vector<ustring> denominator;
    for (const auto& [symbol, e] : parsed.getReducedUnitExpr().getExpr()) {
        const double power = e.getSimplifiedExpo();
        // A factor that cancels (m/m) or the number one is no factor: m^0 or
        // 1^2 would only clutter the text.
        if (power == 0.0 || symbol == u"1") {
            continue;
        }
        if (power > 0) {
            numerator.push_back(item(symbol, power));
        } else {
            denominator.push_back(item(symbol, negativeExponents ? power : -power));
        }
    }
    const auto joined = [](const std::vector<ustring>& items) {
        ustring out;
        for (const ustring& i : items) {
            out += (out.empty() ? u"" : u"*") + i;
        }
        return out;
    };
    ustring text = joined(numerator);
    if (numerator.empty() && denominator.empty()) {
        return u"1";
    }
    if (format == UnitHeuristicManager::ChainedQuotients) {
        if (text.empty()) {
            text = u"1";
        }
        for (const ustring& d : denominator) {
            text += u"/" + d;
        }
    } else if (negativeExponents) {
        if (!text.empty() && !denominator.empty()) {
            text += u"*";
        }
        text += joined(denominator);
    } else if (!denominator.empty()) {
        if (text.empty()) {
            text = u"1";
        }
        text += denominator.size() >= 2 ? u"/(" + joined(denominator) + u")"
                                        : u"/" + denominator.front();
    }
    return text;
}

} // namespace CvUnitSys
