#pragma once

#include "units/foundation/UString.hpp"
#include "units/query/CharacterTrie.hpp"

#include <cstdint>
#include <map>
#include <set>

namespace CvUnitSys {

// Completion and misspelling search over the names and the symbols of one kind
// of entity (units, physical quantities or prefixes).
class AutoCompleteImpl {
public:
    explicit AutoCompleteImpl(bool prefixMode);

    void addName(const ustring& name);
    // Symbols and ASCII symbols share one trie.
    void addSymbol(const ustring& symbol);

    // Names and symbols starting with `text` (exact case unless `foldCase`); in
    // prefix mode also those that `text` starts with, and a word equal to
    // `text` stands alone.
    std::set<ustring> getAutoCompleteList(const ustring& text, bool foldCase = false) const;
    // Case-insensitive matches within `maxDistance` edits, written into `distances`.
    void appendApproximateSuggestions(const ustring& text,
                                      std::map<ustring, std::int32_t>& distances,
                                      std::int32_t maxDistance) const;

private:
    CharacterTrie names_;
    CharacterTrie symbols_;
};

} // namespace CvUnitSys
