#include "units/query/CharacterTrie.hpp"

#include <algorithm>
#include <unicode/uchar.h>
#include <utility>

namespace CvUnitSys {

namespace {

char32_t lowered(char32_t c) {
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

// Larger distances behave alike: no word or text is that long.
constexpr std::int32_t maxUsefulDistance = 1 << 30;

char32_t raised(char32_t c) {
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
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

void CharacterTrie::appendCompletions(const std::u32string& text, std::vector<std::u32string>& out,
                                      bool foldCase) const {
    // The paths through the trie that spell `text`: one in exact case,
    // possibly several when folding case. Each step remembers the step before
    // it, so a word is spelt out only when it is a result.
    struct Step {
        const Node* node;
        std::size_t previous;
    };
    std::vector<Step> steps{{root_.get(), 0}};
    const auto spell = [&steps](std::size_t last) {
        std::u32string word;
        for (std::size_t s = last; s != 0; s = steps[s].previous) {
            word.push_back(steps[s].node->character);
        }
        return std::u32string(word.rbegin(), word.rend());
    };
    std::vector<std::size_t> paths{0};
    std::vector<std::size_t> next;
    for (char32_t typed : text) {
        next.clear();
        const char32_t forms[] = {foldCase ? lowered(typed) : typed,
                                  foldCase ? raised(typed) : typed};
        for (std::size_t path : paths) {
            const Node* node = steps[path].node;
            if (prefixMode_ && node->wordEnd) {
                out.push_back(spell(path));
            }
            for (std::size_t f = 0; f < (forms[0] == forms[1] ? 1U : 2U); ++f) {
                if (auto it = node->children.find(forms[f]); it != node->children.end()) {
                    next.push_back(steps.size());
                    steps.push_back({it->second.get(), path});
                }
            }
        }
        paths.swap(next);
        if (paths.empty()) {
            return;
        }
    }
    for (std::size_t path : paths) {
        if (prefixMode_ && steps[path].node->wordEnd) {
            out.push_back(spell(path));
        } else {
            collectWords(*steps[path].node, spell(path), out);
        }
    }
}

void CharacterTrie::appendApproximate(const std::u32string& text,
                                      std::map<std::u32string, std::int32_t>& distances,
                                      std::int32_t maxDistance) const {
    if (maxDistance < 0) {
        return;
    }
    const std::size_t n = text.size();
    const std::size_t band = static_cast<std::size_t>(std::min(maxDistance, maxUsefulDistance));
    // Entries above the maximum distance are all alike to the walk: none is
    // recorded and none keeps a subtree alive, so they are capped.
    const std::int32_t cap = static_cast<std::int32_t>(band) + 1;
    std::u32string target;
    target.reserve(n);
    for (char32_t c : text) {
        target.push_back(lowered(c));
    }
    // Row k is the edit-distance row of the node at depth k on the current
    // path, between the word so far and each start of `text`. Entry j is at
    // least |k - j|, so only the band of entries within the maximum distance
    // of k can count; the row keeps that band alone, which makes a node's cost
    // independent of the length of the text. A node waiting on the stack only
    // needs its parent's row, which deeper work never overwrites.
    struct Row {
        std::size_t first = 0; // index in `text` of values[0]
        std::vector<std::int32_t> values;
        std::int32_t at(std::size_t j, std::int32_t capped) const {
            return j < first || j - first >= values.size() ? capped : values[j - first];
        }
    };
    const auto bandOf = [&](std::size_t depth, Row& row) {
        row.first = depth > band ? depth - band : 0;
        const std::size_t last = std::min(n, depth + band);
        row.values.assign(row.first <= last ? last - row.first + 1 : 0, cap);
    };
    std::vector<Row> rows(1);
    bandOf(0, rows[0]);
    for (std::size_t j = 0; j < rows[0].values.size(); ++j) {
        rows[0].values[j] = static_cast<std::int32_t>(j);
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
            rows.resize(depth + 1);
        }
        const Row& prev = rows[depth - 1];
        Row& cur = rows[depth];
        bandOf(depth, cur);
        const char32_t c = lowered(node.character);
        std::int32_t best = cap;
        for (std::size_t k = 0; k < cur.values.size(); ++k) {
            const std::size_t j = cur.first + k;
            std::int32_t value = static_cast<std::int32_t>(depth);
            if (j > 0) {
                const std::int32_t cost = c == target[j - 1] ? 0 : 1;
                value = std::min(
                    {cur.at(j - 1, cap) + 1, prev.at(j, cap) + 1, prev.at(j - 1, cap) + cost});
            }
            cur.values[k] = std::min(value, cap);
            best = std::min(best, cur.values[k]);
        }
        word.resize(depth - 1);
        word.push_back(node.character);
        if (node.wordEnd) {
            const bool comparedWithStart = prefixMode_ && word.size() <= n;
            const std::int32_t distance = cur.at(comparedWithStart ? word.size() : n, cap);
            const std::int32_t allowed =
                word.size() > static_cast<std::size_t>(maxDistance) ? maxDistance : 0;
            if (distance <= allowed) {
                distances[word] = distance;
            }
        }
        if (best <= maxDistance) {
            for (const auto& [ch, child] : node.children) {
                stack.emplace_back(child.get(), depth + 1);
            }
        }
    }
}

} // namespace CvUnitSys
