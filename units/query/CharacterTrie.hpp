#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace CvUnitSys {

// A trie of words stored as code points, for completion and for approximate
// (edit-distance) search. In prefix mode a search also reports the stored
// words that the searched text starts with, which is how unit prefixes are
// found inside a typed symbol ("km" yields "k").
class CharacterTrie {
public:
    explicit CharacterTrie(bool prefixMode);
    CharacterTrie(const CharacterTrie&) = delete;
    CharacterTrie& operator=(const CharacterTrie&) = delete;
    CharacterTrie(CharacterTrie&&) noexcept = default;
    CharacterTrie& operator=(CharacterTrie&&) noexcept = default;
    ~CharacterTrie();

    bool isPrefixMode() const { return prefixMode_; }
    // An empty word changes nothing.
    void insert(const std::u32string& word);
    // The stored words that start with `text` and, in prefix mode, those that
    // `text` starts with; in prefix mode a stored word equal to `text` stands
    // alone (typing "d" offers the prefix d, not da). Exact case unless
    // `foldCase`, which follows the lower- and the upper-case form of each
    // typed character.
    void appendCompletions(const std::u32string& text, std::vector<std::u32string>& out,
                           bool foldCase = false) const;
    // Stored words within `maxDistance` edits of `text`, ignoring case; words of
    // at most `maxDistance` characters must match exactly. In prefix mode a word
    // not longer than `text` is compared with the start of `text`.
    void appendApproximate(const std::u32string& text,
                           std::map<std::u32string, std::int32_t>& distances,
                           std::int32_t maxDistance) const;

private:
    struct Node {
        std::unordered_map<char32_t, std::unique_ptr<Node>> children;
        char32_t character = U' ';
        bool wordEnd = false;
    };

    static void collectWords(const Node& from, const std::u32string& prefix,
                             std::vector<std::u32string>& out);

    std::unique_ptr<Node> root_;
    bool prefixMode_;
};

} // namespace CvUnitSys
