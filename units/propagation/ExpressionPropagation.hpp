#pragma once

// Runs the library's propagation engine over an expression the user typed,
// and names the operation and operands of a refusal as the user wrote them.

#include "units/platform/IException.hpp"
#include "units/propagation/ArithmeticExpression.hpp"
#include "units/propagation/UnitPropagationEngine.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CvUnitSys {

struct PropagationOutcome {
    std::int32_t result;
    // Operand id (the index of its leaf among the operands) to target unit id.
    CvUnitSys::UnitPropagationEngine::Conversions conversions;
};

// The operation a refusal happened at, with its operands' texts.
struct RefusedOperation {
    std::string operation;
    std::vector<std::string> operands;
};

class ExpressionPropagation {
public:
    ExpressionPropagation(CvUnitSys::UnitTable& table,
                          CvUnitSys::UnitHeuristicManager::ConversionMode mode,
                          CvUnitSys::UnitHeuristicManager::UnitOutputFormat format);

    // `leafUnits` holds the unit id of each operand item, in order; the
    // operand id of a leaf is the index given in `leafOperands`.
    PropagationOutcome run(const std::vector<ArithmeticItem>& items,
                           const std::vector<std::int32_t>& leafUnits,
                           const std::vector<std::int32_t>& leafOperands);
    // After `run` threw `e`: the smallest subexpression that fails the same
    // way, its operation word and its operands' texts from `text`; nothing
    // for an expression too large to search.
    std::optional<RefusedOperation> locate(const std::vector<ArithmeticItem>& items,
                                           const std::vector<std::int32_t>& leafUnits,
                                           const std::vector<std::int32_t>& leafOperands,
                                           const std::string& text,
                                           const CvUnitSys::IUserException& e);
    // The engine's tree for the expression, for drawing.
    static CvUnitSys::UnitMathExpression build(const std::vector<ArithmeticItem>& items,
                                               std::size_t first, std::size_t last,
                                               const std::vector<std::int32_t>& leafUnits,
                                               const std::vector<std::int32_t>& leafOperands);

private:
    CvUnitSys::UnitHeuristicManager heuristics_;
    CvUnitSys::UnitPropagationEngine engine_;
};

} // namespace CvUnitSys
