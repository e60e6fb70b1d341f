#include "units/propagation/ExpressionPropagation.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/platform/TextServices.hpp"

namespace CvUnitSys {

namespace {

using CvUnitSys::UnitMathExpression;
using Kind = ArithmeticItem::Kind;

// Searching re-runs the engine once per operation on ever larger parts.
constexpr std::size_t maxOperationsToSearch = 400;

UnitMathExpression::OperationType operationOf(Kind kind) {
    switch (kind) {
    case Kind::Add:
        return UnitMathExpression::Add;
    case Kind::Subtract:
        return UnitMathExpression::Subtract;
    case Kind::Multiply:
        return UnitMathExpression::Multiply;
    default:
        return UnitMathExpression::Divide;
    }
}

// For each item, the index of the first item of its subexpression.
std::vector<std::size_t> subexpressionStarts(const std::vector<ArithmeticItem>& items) {
    std::vector<std::size_t> starts(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        switch (items[i].kind) {
        case Kind::Operand:
            starts[i] = i;
            break;
        case Kind::Power:
        case Kind::Negate:
            starts[i] = starts[i - 1];
            break;
        default:
            starts[i] = starts[starts[i - 1] - 1];
        }
    }
    return starts;
}

// The names of units by their scaling, for naming results. Filling it walks
// every unit, far more than one expression costs, so each thread keeps one and
// refills it only when the databases change; one per thread, because a fill
// under way is not waited for by other threads.
CvUnitSys::NoScalingUnitReductionMap& unitNames() {
    thread_local CvUnitSys::NoScalingUnitReductionMap names;
    return names;
}

std::string spanText(const std::string& text, const ArithmeticItem& item) {
    return text.substr(item.begin, item.end - item.begin);
}

} // namespace

ExpressionPropagation::ExpressionPropagation(
    CvUnitSys::UnitTable& table, CvUnitSys::UnitHeuristicManager::ConversionMode mode,
    CvUnitSys::UnitHeuristicManager::UnitOutputFormat format)
    : engine_(&table, &CvUnitSys::UnitDBManager::m_UnitDBManager.getPhysicalQuantityReductionMap(),
              &unitNames(), &heuristics_) {
    heuristics_.setConversionMode(mode);
    heuristics_.setUnitOutputFormat(format);
}

UnitMathExpression ExpressionPropagation::build(const std::vector<ArithmeticItem>& items,
                                                std::size_t first, std::size_t last,
                                                const std::vector<std::int32_t>& leafUnits,
                                                const std::vector<std::int32_t>& leafOperands) {
    std::size_t leaf = 0;
    for (std::size_t i = 0; i < first; ++i) {
        leaf += items[i].kind == Kind::Operand ? 1 : 0;
    }
    std::vector<UnitMathExpression> stack;
    for (std::size_t i = first; i <= last; ++i) {
        const ArithmeticItem& item = items[i];
        switch (item.kind) {
        case Kind::Operand:
            stack.emplace_back(leafUnits[leaf], leafOperands[leaf]);
            ++leaf;
            break;
        case Kind::Negate:
            // A sign changes no unit.
            break;
        case Kind::Power:
            stack.back() = UnitMathExpression::pow(std::move(stack.back()), item.power);
            break;
        default: {
            UnitMathExpression right = std::move(stack.back());
            stack.pop_back();
            stack.back() = UnitMathExpression::create(std::move(stack.back()), std::move(right),
                                                      operationOf(item.kind));
        }
        }
    }
    return std::move(stack.back());
}

PropagationOutcome ExpressionPropagation::run(const std::vector<ArithmeticItem>& items,
                                              const std::vector<std::int32_t>& leafUnits,
                                              const std::vector<std::int32_t>& leafOperands) {
    engine_.init(build(items, 0, items.size() - 1, leafUnits, leafOperands));
    try {
        auto [result, conversions] = engine_.propagate();
        return {result, std::move(conversions)};
    } catch (const CvUnitSys::IException&) {
        // The table keeps no unit of a failed run.
        engine_.postPropagationCleanup();
        throw;
    }
}

std::optional<RefusedOperation>
ExpressionPropagation::locate(const std::vector<ArithmeticItem>& items,
                              const std::vector<std::int32_t>& leafUnits,
                              const std::vector<std::int32_t>& leafOperands,
                              const std::string& text, const CvUnitSys::IUserException& e) {
    std::size_t operations = 0;
    for (const ArithmeticItem& item : items) {
        operations += item.kind == Kind::Operand || item.kind == Kind::Negate ? 0 : 1;
    }
    if (operations > maxOperationsToSearch) {
        return std::nullopt;
    }
    const std::vector<std::size_t> starts = subexpressionStarts(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Kind kind = items[i].kind;
        if (kind == Kind::Operand || kind == Kind::Negate) {
            continue;
        }
        engine_.init(build(items, starts[i], i, leafUnits, leafOperands));
        try {
            engine_.propagate();
            continue;
        } catch (const CvUnitSys::IUserException& inner) {
            engine_.postPropagationCleanup();
            if (inner.getMessageIdentifier() != e.getMessageIdentifier()) {
                continue;
            }
        }
        RefusedOperation refused;
        if (kind == Kind::Power) {
            refused.operation = "exponentiate";
            refused.operands.push_back(spanText(text, items[i - 1]));
        } else {
            refused.operation = CvUnitSys::TextServices::toUtf8(
                CvUnitSys::UnitPropagationEngine::operationWord(operationOf(kind)));
            refused.operands.push_back(spanText(text, items[starts[i - 1] - 1]));
            refused.operands.push_back(spanText(text, items[i - 1]));
        }
        return refused;
    }
    return std::nullopt;
}

} // namespace CvUnitSys
