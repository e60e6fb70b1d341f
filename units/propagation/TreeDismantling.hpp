#pragma once

// Frees the subtrees of a binary tree node without recursing once per level:
// the trees of long sums are as deep as they have operands.

#include <memory>
#include <utility>
#include <vector>

namespace CvUnitSys {

// Node has owning `left` and `right` pointers to Node.
template <typename Node> void dismantleChildren(Node& node) {
    std::vector<std::unique_ptr<Node>> pending;
    const auto detach = [&pending](Node& n) {
        if (n.left) {
            pending.push_back(std::move(n.left));
        }
        if (n.right) {
            pending.push_back(std::move(n.right));
        }
    };
    detach(node);
    while (!pending.empty()) {
        std::unique_ptr<Node> next = std::move(pending.back());
        pending.pop_back();
        detach(*next);
    }
}

} // namespace CvUnitSys
