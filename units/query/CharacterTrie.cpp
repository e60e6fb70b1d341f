#include "units/query/CharacterTrie.hpp"

#include <algorithm>
#include <unicode/uchar.h>
#include <utility>

namespace CvUnitSys {

namespace {

char32_t lowered(char32_t c) {
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

} // namespace

CharacterTrie::CharacterTrie(bool prefixMode)
    : root_(std::make_unique<Node>()), prefixMode_(prefixMode) {
    root_->children.max_load_factor(1.0F);
}

// Nodes are released iteratively: a recursive destructor would overflow the
// stack on very long words.
CharacterTrie::~CharacterTrie() {
    if (!root_) {
        return;
    }
    std::vector<std::unique_ptr<Node>> pending;
    pending.push_back(std::move(root_));
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        for (auto& [c, child] : node->children) {
            pending.push_back(std::move(child));
        }
    }
}

void CharacterTrie::insert(const std::u32string& word) {
    if (word.empty()) {
        return;
    }
    Node* node = root_.get();
    for (char32_t c : word) {
        auto& child = node->children[c];
        if (!child) {
            child = std::make_unique<Node>();
            child->children.max_load_factor(1.0F);
            child->character = c;
        }
        node = child.get();
    }
    node->wordEnd = true;
}

// Depth-first without recursion; the path is one string cut back to each
// node's depth, so a long chain costs linear time, not quadratic.
void CharacterTrie::collectWords(const Node& from, const std::u32string& prefix,
                                 std::vector<std::u32string>& out) {
    std::u32string word = prefix;
    std::vector<std::pair<const Node*, std::size_t>> stack{{&from, prefix.size()}};
    while (!stack.empty()) {
        const auto [node, length] = stack.back();
        stack.pop_back();
        word.resize(length);
        if (node != &from) {
            word.push_back(node->character);
        }
        if (node->wordEnd) {
            out.push_back(word);
        }
        for (const auto& [c, child] : node->children) {
            stack.emplace_back(child.get(), word.size());
        }
    }
}

void CharacterTrie::appendCompletions(const std::u32string& text,
                                      std::vector<std::u32string>& out) const {
    const Node* node = root_.get();
    std::size_t depth = 0;
    for (; depth < text.size(); ++depth) {
        if (prefixMode_ && node->wordEnd) {
            out.push_back(text.substr(0, depth));
        }
        auto it = node->children.find(text[depth]);
        if (it == node->children.end()) {
            return;
        }
        node = it->second.get();
    }
    collectWords(*node, text, out);
}

void CharacterTrie::appendApproximate(const std::u32string& text,
                                      std::map<std::u32string, std::int32_t>& distances,
                                      std::int32_t maxDistance) const {
    if (maxDistance < 0) {
        return;
    }
    const std::size_t n = text.size();
    std::u32string target;
    target.reserve(n);
    for (char32_t c : text) {
        target.push_back(lowered(c));
    }
    // rows[k] is the edit-distance row of the node at depth k on the current
    // path; a node waiting on the stack only needs its parent's row, which
    // deeper work never overwrites.
    std::vector<std::vector<std::int32_t>> rows(1, std::vector<std::int32_t>(n + 1));
    for (std::size_t j = 0; j <= n; ++j) {
        rows[0][j] = static_cast<std::int32_t>(j);
    }
    std::u32string word;
    std::vector<std::pair<const Node*, std::size_t>> stack;
    for (const auto& [c, child] : root_->children) {
        stack.emplace_back(child.get(), 1);
    }
    while (!stack.empty()) {
        const auto [nodePtr, depth] = stack.back();
        stack.pop_back();
        const Node& node = *nodePtr;
        if (rows.size() <= depth) {
            rows.resize(depth + 1, std::vector<std::int32_t>(n + 1));
        }
        const std::vector<std::int32_t>& prev = rows[depth - 1];
        std::vector<std::int32_t>& cur = rows[depth];
        cur[0] = prev[0] + 1;
        const char32_t c = lowered(node.character);
        for (std::size_t j = 1; j <= n; ++j) {
            const std::int32_t cost = c == target[j - 1] ? 0 : 1;
            cur[j] = std::min({cur[j - 1] + 1, prev[j] + 1, prev[j - 1] + cost});
        }
        word.resize(depth - 1);
        word.push_back(node.character);
        if (node.wordEnd) {
            const bool comparedWithStart = prefixMode_ && word.size() <= n;
            const std::int32_t distance = comparedWithStart ? cur[word.size()] : cur[n];
            const std::int32_t allowed =
                word.size() > static_cast<std::size_t>(maxDistance) ? maxDistance : 0;
            if (distance <= allowed) {
                distances[word] = distance;
            }
        }
        if (*std::min_element(cur.begin(), cur.end()) <= maxDistance) {
            for (const auto& [ch, child] : node.children) {
                stack.emplace_back(child.get(), depth + 1);
            }
        }
    }
}

} // namespace CvUnitSys
