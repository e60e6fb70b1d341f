#pragma once

// How the unit of a computed value arises from the units of its operands: a
// binary tree over unit ids, built bottom-up and drawn as text.

#include "units/foundation/Exponent.hpp"
#include "units/foundation/UString.hpp"

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

namespace CvUnitSys {

class UnitTable;

// A value type: copies are deep, moves take the tree. Every walk over the tree
// (copy, destruction, drawing) is iterative, so trees as deep as a sum of
// 100,000 operands built left to right are safe. The expression never looks at
// units; only printing reads the table.
class UnitMathExpression {
public:
    // The numbering is fixed: messages and the engine depend on it.
    enum OperationType : std::int32_t {
        NoOperation = 0,
        Add = 2,
        Subtract = 3,
        Multiply = 4,
        Divide = 5,
        Exponentiate = 6,
    };

    static constexpr std::int32_t NoUnitId = -10;
    static constexpr std::int32_t NoOperandId = INT32_MIN;

    struct TreeNode {
        TreeNode(std::int32_t unitId, std::int32_t operandId, OperationType operation,
                 const Exponent& exponent);
        ~TreeNode();
        TreeNode(const TreeNode&) = delete;
        TreeNode& operator=(const TreeNode&) = delete;

        std::int32_t unitId;
        std::int32_t operandId;
        OperationType operation;
        Exponent exponent;
        std::unique_ptr<TreeNode> left;
        std::unique_ptr<TreeNode> right;
    };

    // A leaf.
    UnitMathExpression(std::int32_t unitId, std::int32_t operandId);
    // One operation node without operands; the caller attaches them and
    // passes the size the tree will have.
    UnitMathExpression(OperationType op, unsigned long size);
    UnitMathExpression(const Exponent& e, unsigned long size);
    UnitMathExpression(const UnitMathExpression& o);
    UnitMathExpression(UnitMathExpression&& o) noexcept;
    UnitMathExpression& operator=(const UnitMathExpression& o);
    UnitMathExpression& operator=(UnitMathExpression&& o) noexcept;
    ~UnitMathExpression() = default;

    static UnitMathExpression create(const UnitMathExpression& a, const UnitMathExpression& b,
                                     OperationType op);
    static UnitMathExpression create(UnitMathExpression&& a, const UnitMathExpression& b,
                                     OperationType op);
    static UnitMathExpression create(const UnitMathExpression& a, UnitMathExpression&& b,
                                     OperationType op);
    static UnitMathExpression create(UnitMathExpression&& a, UnitMathExpression&& b,
                                     OperationType op);

    template <typename A, typename B> static UnitMathExpression add(A&& a, B&& b) {
        return create(std::forward<A>(a), std::forward<B>(b), Add);
    }
    template <typename A, typename B> static UnitMathExpression subtract(A&& a, B&& b) {
        return create(std::forward<A>(a), std::forward<B>(b), Subtract);
    }
    template <typename A, typename B> static UnitMathExpression multiply(A&& a, B&& b) {
        return create(std::forward<A>(a), std::forward<B>(b), Multiply);
    }
    template <typename A, typename B> static UnitMathExpression divide(A&& a, B&& b) {
        return create(std::forward<A>(a), std::forward<B>(b), Divide);
    }
    static UnitMathExpression pow(const UnitMathExpression& a, const Exponent& e);
    static UnitMathExpression pow(UnitMathExpression&& a, const Exponent& e);

    unsigned long size() const { return size_; }
    // Null only in an expression that was moved from.
    const TreeNode* root() const { return root_.get(); }
    static std::unique_ptr<TreeNode> deepCopy(const TreeNode* node);

    // The text drawing: one bracketed label per node, the right operand beside
    // it and the left one below. `table` is required.
    void print(std::basic_ostream<char16_t>& os, const UnitTable* table) const;
    static void getMaxWidth(const TreeNode* node, const UnitTable* table, std::size_t& width);
    // Draws the subtree at (row, column); returns the last row it uses.
    static std::size_t getLines(const TreeNode* node, std::size_t row, std::size_t column,
                                const UnitTable* table, std::vector<ustring>& lines,
                                std::size_t width);

    // The exponent as the drawing and the engine write it: the simplified
    // value with six significant digits ("2", "0.5", "-1").
    static ustring exponentText(const Exponent& e);

private:
    friend struct UnitMathExpressionAccess;

    std::unique_ptr<TreeNode> root_;
    unsigned long size_;
};

UnitMathExpression operator+(const UnitMathExpression& a, const UnitMathExpression& b);
UnitMathExpression operator+(UnitMathExpression&& a, const UnitMathExpression& b);
UnitMathExpression operator+(const UnitMathExpression& a, UnitMathExpression&& b);
UnitMathExpression operator+(UnitMathExpression&& a, UnitMathExpression&& b);
UnitMathExpression operator-(const UnitMathExpression& a, const UnitMathExpression& b);
UnitMathExpression operator-(UnitMathExpression&& a, const UnitMathExpression& b);
UnitMathExpression operator-(const UnitMathExpression& a, UnitMathExpression&& b);
UnitMathExpression operator-(UnitMathExpression&& a, UnitMathExpression&& b);
UnitMathExpression operator*(const UnitMathExpression& a, const UnitMathExpression& b);
UnitMathExpression operator*(UnitMathExpression&& a, const UnitMathExpression& b);
UnitMathExpression operator*(const UnitMathExpression& a, UnitMathExpression&& b);
UnitMathExpression operator*(UnitMathExpression&& a, UnitMathExpression&& b);
UnitMathExpression operator/(const UnitMathExpression& a, const UnitMathExpression& b);
UnitMathExpression operator/(UnitMathExpression&& a, const UnitMathExpression& b);
UnitMathExpression operator/(const UnitMathExpression& a, UnitMathExpression&& b);
UnitMathExpression operator/(UnitMathExpression&& a, UnitMathExpression&& b);

} // namespace CvUnitSys
