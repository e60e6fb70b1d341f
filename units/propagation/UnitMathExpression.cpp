#include "units/propagation/UnitMathExpression.hpp"

#include "units/propagation/TreeDismantling.hpp"
#include "units/query/UnitTable.hpp"

#include <algorithm>
#include <sstream>

namespace CvUnitSys {

UnitMathExpression::TreeNode::TreeNode(std::int32_t unitId_, std::int32_t operandId_,
                                       OperationType operation_, const Exponent& exponent_)
    : unitId(unitId_), operandId(operandId_), operation(operation_), exponent(exponent_) {}

// The default destructor would recurse once per level.
UnitMathExpression::TreeNode::~TreeNode() {
    dismantleChildren(*this);
}

UnitMathExpression::UnitMathExpression(std::int32_t unitId, std::int32_t operandId)
    : root_(std::make_unique<TreeNode>(unitId, operandId, NoOperation, Exponent::unity)), size_(1) {
}

UnitMathExpression::UnitMathExpression(OperationType op, unsigned long size)
    : root_(std::make_unique<TreeNode>(NoUnitId, NoOperandId, op, Exponent::unity)), size_(size) {}

UnitMathExpression::UnitMathExpression(const Exponent& e, unsigned long size)
    : root_(std::make_unique<TreeNode>(NoUnitId, NoOperandId, Exponentiate, e)), size_(size) {}

UnitMathExpression::UnitMathExpression(const UnitMathExpression& o)
    : root_(deepCopy(o.root_.get())), size_(o.size_) {}

UnitMathExpression::UnitMathExpression(UnitMathExpression&& o) noexcept
    : root_(std::move(o.root_)), size_(o.size_) {
    o.size_ = 0;
}

UnitMathExpression& UnitMathExpression::operator=(const UnitMathExpression& o) {
    if (this != &o) {
        root_ = deepCopy(o.root_.get());
        size_ = o.size_;
    }
    return *this;
}

UnitMathExpression& UnitMathExpression::operator=(UnitMathExpression&& o) noexcept {
    if (this != &o) {
        root_ = std::move(o.root_);
        size_ = o.size_;
        o.size_ = 0;
    }
    return *this;
}

std::unique_ptr<UnitMathExpression::TreeNode> UnitMathExpression::deepCopy(const TreeNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    const auto copyOne = [](const TreeNode& n) {
        return std::make_unique<TreeNode>(n.unitId, n.operandId, n.operation, n.exponent);
    };
    auto copy = copyOne(*node);
    // Each entry: a source node whose children still have to be copied under its copy.
    std::vector<std::pair<const TreeNode*, TreeNode*>> pending{{node, copy.get()}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        if (source->left) {
            target->left = copyOne(*source->left);
            pending.emplace_back(source->left.get(), target->left.get());
        }
        if (source->right) {
            target->right = copyOne(*source->right);
            pending.emplace_back(source->right.get(), target->right.get());
        }
    }
    return copy;
}

namespace {

std::unique_ptr<UnitMathExpression::TreeNode> treeOf(const UnitMathExpression& e) {
    return UnitMathExpression::deepCopy(e.root());
}

} // namespace

// The rvalue forms take the operand's tree; these helpers give the two forms
// one body.
struct UnitMathExpressionAccess {
    static std::unique_ptr<UnitMathExpression::TreeNode> take(UnitMathExpression&& e) {
        e.size_ = 0;
        return std::move(e.root_);
    }
    static UnitMathExpression join(std::unique_ptr<UnitMathExpression::TreeNode> left,
                                   unsigned long leftSize,
                                   std::unique_ptr<UnitMathExpression::TreeNode> right,
                                   unsigned long rightSize, UnitMathExpression::OperationType op) {
        UnitMathExpression out(op, leftSize + rightSize + 1);
        out.root_->left = std::move(left);
        out.root_->right = std::move(right);
        return out;
    }
    static UnitMathExpression power(std::unique_ptr<UnitMathExpression::TreeNode> base,
                                    unsigned long baseSize, const Exponent& e) {
        UnitMathExpression out(e, baseSize + 1);
        out.root_->left = std::move(base);
        return out;
    }
};

using Access = UnitMathExpressionAccess;

UnitMathExpression UnitMathExpression::create(const UnitMathExpression& a,
                                              const UnitMathExpression& b, OperationType op) {
    return Access::join(treeOf(a), a.size_, treeOf(b), b.size_, op);
}

UnitMathExpression UnitMathExpression::create(UnitMathExpression&& a, const UnitMathExpression& b,
                                              OperationType op) {
    const unsigned long aSize = a.size_;
    auto left = Access::take(std::move(a));
    return Access::join(std::move(left), aSize, treeOf(b), b.size_, op);
}

UnitMathExpression UnitMathExpression::create(const UnitMathExpression& a, UnitMathExpression&& b,
                                              OperationType op) {
    auto left = treeOf(a);
    const unsigned long bSize = b.size_;
    return Access::join(std::move(left), a.size_, Access::take(std::move(b)), bSize, op);
}

UnitMathExpression UnitMathExpression::create(UnitMathExpression&& a, UnitMathExpression&& b,
                                              OperationType op) {
    const unsigned long aSize = a.size_;
    const unsigned long bSize = b.size_;
    auto left = Access::take(std::move(a));
    return Access::join(std::move(left), aSize, Access::take(std::move(b)), bSize, op);
}

UnitMathExpression UnitMathExpression::pow(const UnitMathExpression& a, const Exponent& e) {
    return Access::power(treeOf(a), a.size_, e);
}

UnitMathExpression UnitMathExpression::pow(UnitMathExpression&& a, const Exponent& e) {
    const unsigned long aSize = a.size_;
    return Access::power(Access::take(std::move(a)), aSize, e);
}

#define CV_UNITS_MATH_OPERATOR(symbol, function)                                                   \
    UnitMathExpression operator symbol(const UnitMathExpression& a, const UnitMathExpression& b) { \
        return UnitMathExpression::function(a, b);                                                 \
    }                                                                                              \
    UnitMathExpression operator symbol(UnitMathExpression&& a, const UnitMathExpression& b) {      \
        return UnitMathExpression::function(std::move(a), b);                                      \
    }                                                                                              \
    UnitMathExpression operator symbol(const UnitMathExpression& a, UnitMathExpression&& b) {      \
        return UnitMathExpression::function(a, std::move(b));                                      \
    }                                                                                              \
    UnitMathExpression operator symbol(UnitMathExpression&& a, UnitMathExpression&& b) {           \
        return UnitMathExpression::function(std::move(a), std::move(b));                           \
    }

CV_UNITS_MATH_OPERATOR(+, add)
CV_UNITS_MATH_OPERATOR(-, subtract)
CV_UNITS_MATH_OPERATOR(*, multiply)
CV_UNITS_MATH_OPERATOR(/, divide)

#undef CV_UNITS_MATH_OPERATOR

ustring UnitMathExpression::exponentText(const Exponent& e) {
    // Default stream formatting; char16_t streams have no number formatting
    // of their own, so the text is made narrow and widened.
    std::ostringstream out;
    out << e.getSimplifiedExpo();
    const std::string narrow = out.str();
    return ustring(narrow.begin(), narrow.end());
}

namespace {

using TreeNode = UnitMathExpression::TreeNode;

const UnitBase* validUnit(const TreeNode& node, const UnitTable& table) {
    return table.isUnitIdValid(node.unitId) ? table.getUnit(node.unitId) : nullptr;
}

ustring boxed(ustring text, std::size_t width) {
    while (text.size() + 1 < width) {
        text += u' ';
    }
    return text + u']';
}

ustring label(const TreeNode& node, const UnitTable& table, std::size_t width) {
    switch (node.operation) {
    case UnitMathExpression::Add:
        return boxed(u"[+", width);
    case UnitMathExpression::Subtract:
        return boxed(u"[-", width);
    case UnitMathExpression::Multiply:
        return boxed(u"[*", width);
    case UnitMathExpression::Divide:
        return boxed(u"[/", width);
    case UnitMathExpression::Exponentiate:
        return boxed(u"[^", width);
    default:
        break;
    }
    const UnitBase* unit = validUnit(node, table);
    return boxed(unit != nullptr ? u"[" + ustring(unit->getAsciiSymbol()) : ustring(u"[?"), width);
}

} // namespace

void UnitMathExpression::getMaxWidth(const TreeNode* node, const UnitTable* table,
                                     std::size_t& width) {
    std::vector<const TreeNode*> pending;
    if (node != nullptr) {
        pending.push_back(node);
    }
    while (!pending.empty()) {
        const TreeNode* n = pending.back();
        pending.pop_back();
        if (!n->left && !n->right) {
            if (const UnitBase* unit = validUnit(*n, *table)) {
                width = std::max(width, unit->getAsciiSymbol().size());
            }
        }
        if (n->operation == Exponentiate) {
            width = std::max(width, exponentText(n->exponent).size());
        }
        if (n->right) {
            pending.push_back(n->right.get());
        }
        if (n->left) {
            pending.push_back(n->left.get());
        }
    }
}

std::size_t UnitMathExpression::getLines(const TreeNode* node, std::size_t row, std::size_t column,
                                         const UnitTable* table, std::vector<ustring>& lines,
                                         std::size_t width) {
    struct Place {
        const TreeNode* node;
        std::size_t row;
        std::size_t column;
    };
    // Draws the connector from `owner` down to the row after `last` and
    // returns where its left operand goes.
    const auto below = [&lines, width](const Place& owner, std::size_t last) {
        const std::size_t next = last + 1;
        while (lines.size() <= next) {
            lines.emplace_back();
        }
        lines[next].assign(owner.column + width + 1, u' ');
        for (std::size_t r = owner.row + 1; r <= next; ++r) {
            if (lines[r].size() <= owner.column + width) {
                lines[r].resize(owner.column + width + 1, u' ');
            }
            lines[r][owner.column + width] = u'|';
        }
        lines[next] += u"L--";
        return Place{owner.node->left.get(), next, owner.column + width + 4};
    };
    // Nodes whose right operand is being drawn, waiting to draw their left one.
    std::vector<Place> waiting;
    Place place{node, row, column};
    for (;;) {
        while (lines.size() <= place.row) {
            lines.emplace_back();
        }
        ustring& line = lines[place.row];
        if (line.size() < place.column) {
            line.resize(place.column, u' ');
        }
        line += label(*place.node, *table, width);
        if (place.node->right) {
            line += u"|R--";
            waiting.push_back(place);
            place = {place.node->right.get(), place.row, place.column + width + 4};
            continue;
        }
        if (place.node->left) {
            line += u"|R--" + boxed(u"[" + exponentText(place.node->exponent), width);
            place = below(place, place.row);
            continue;
        }
        // A leaf: its row is the last row of every subtree it ends.
        std::size_t last = place.row;
        for (;;) {
            if (waiting.empty()) {
                return last;
            }
            const Place owner = waiting.back();
            waiting.pop_back();
            if (owner.node->left) {
                place = below(owner, last);
                break;
            }
        }
    }
}

void UnitMathExpression::print(std::basic_ostream<char16_t>& os, const UnitTable* table) const {
    if (!root_) {
        return;
    }
    std::size_t width = 1;
    getMaxWidth(root_.get(), table, width);
    width += 2;
    std::vector<ustring> lines;
    getLines(root_.get(), 0, 0, table, lines, width);

    // Each strip of label boxes shrinks to the longest label text in it,
    // keeping the closing bracket and the connectors.
    std::vector<std::vector<bool>> keep;
    keep.reserve(lines.size());
    for (const ustring& line : lines) {
        keep.emplace_back(line.size(), true);
    }
    for (std::size_t s = 0;; s += width + 4) {
        bool any = false;
        std::size_t m = 0;
        for (const ustring& line : lines) {
            if (line.size() <= s) {
                continue;
            }
            any = true;
            if (line[s] != u'[') {
                continue;
            }
            for (std::size_t p = s; p < line.size() && line[p] != u' ' && p < s + width; ++p) {
                m = std::max(m, p);
            }
        }
        if (!any) {
            break;
        }
        if (m < s || m + 2 >= s + width) {
            continue;
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (std::size_t p = m + 1; p <= s + width - 2 && p < lines[i].size(); ++p) {
                keep[i][p] = false;
            }
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ustring kept;
        for (std::size_t p = 0; p < lines[i].size(); ++p) {
            if (keep[i][p]) {
                kept += lines[i][p];
            }
        }
        os << kept << u'\n' << std::flush;
    }
}

} // namespace CvUnitSys
