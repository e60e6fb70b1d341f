#include "units/propagation/UnitMathExpression.hpp"

#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace CvUnitSys;
using E = UnitMathExpression;

class UnitMathExpressionTest : public ::testing::Test {
protected:
    E leaf(const ustring& text, std::int32_t operand = 1) {
        return E(table.registerUnit(text, true, true), operand);
    }
    std::string drawing(const E& e) {
        std::basic_ostringstream<char16_t> out;
        e.print(out, &table);
        return TextServices::toUtf8(out.str());
    }
    UnitTable table;
};

TEST_F(UnitMathExpressionTest, DrawsEveryShapeWithSqueezedLabels) {
    struct Case {
        std::function<E()> build;
        unsigned long size;
        std::string drawing;
    };
    const Case cases[] = {
        {[&] { return leaf(u"mol"); }, 1, "[mol]\n"},
        {[&] { return E(999, 1); }, 1, "[?]\n"},
        {[&] { return leaf(u"mol") * leaf(u"m"); }, 3, "[*]|R--[m  ]\n   |L--[mol]\n"},
        {[&] { return E::pow(leaf(u"m"), 2); }, 2, "[^]|R--[2]\n   |L--[m]\n"},
        {[&] { return E::pow(leaf(u"m"), 0.5); }, 2, "[^]|R--[0.5]\n   |L--[m  ]\n"},
        {[&] { return E::pow(leaf(u"m"), -1); }, 2, "[^]|R--[-1]\n   |L--[m ]\n"},
        {[&] { return E::add(E::add(leaf(u"m"), leaf(u"s")), leaf(u"K")); }, 5,
         "[+]|R--[K]\n   |L--[+]|R--[s]\n          |L--[m]\n"},
        // A right operand that is itself a tree pushes the left operand below its rows.
        {[&] { return leaf(u"m") - leaf(u"s") / leaf(u"K"); }, 5,
         "[-]|R--[/]|R--[K]\n   |      |L--[s]\n   |L--[m]\n"},
        {[&] { return E(999, 1) + leaf(u"kg"); }, 3, "[+]|R--[kg]\n   |L--[? ]\n"},
    };
    for (const Case& c : cases) {
        const E e = c.build();
        EXPECT_EQ(e.size(), c.size) << c.drawing;
        EXPECT_EQ(drawing(e), c.drawing);
    }
}

TEST_F(UnitMathExpressionTest, MovedOperandsAreEmptiedAndCopiesIndependent) {
    E a = leaf(u"m");
    E b = leaf(u"s");
    const E copied = E::multiply(a, b);
    EXPECT_NE(a.root(), nullptr);
    const E moved = E::divide(std::move(a), b);
    EXPECT_EQ(a.root(), nullptr); // NOLINT(bugprone-use-after-move): that is the point
    EXPECT_EQ(moved.size(), 3u);

    E copy = copied;
    EXPECT_NE(copy.root(), copied.root());
    EXPECT_NE(copy.root()->left.get(), copied.root()->left.get());
    copy = E::pow(std::move(copy), 3);
    EXPECT_EQ(copied.size(), 3u);
    EXPECT_EQ(drawing(copied), "[*]|R--[s]\n   |L--[m]\n");
    EXPECT_EQ(copy.size(), 4u);
}

// Trees as deep as a long sum built left to right are copied and freed
// without deep recursion.
TEST_F(UnitMathExpressionTest, DeepTreesCopyAndFree) {
    E sum = leaf(u"m");
    for (int i = 0; i < 200000; ++i) {
        sum = std::move(sum) + leaf(u"m", i);
    }
    EXPECT_EQ(sum.size(), 400001u);
    const E copy = sum;
    const E* deepest = &copy;
    const E::TreeNode* node = deepest->root();
    int depth = 0;
    while (node->left) {
        node = node->left.get();
        ++depth;
    }
    EXPECT_EQ(depth, 200000);
}

} // namespace
