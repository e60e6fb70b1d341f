#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace CvUnitSys {

class UnitAST;
class UnitDatabase;
class UnitDBSet;

// Which symbols appear together in unit definitions, and how often each
// appears: typing "kg*m/s^" ranks the units that definitions use beside kg,
// m and s above the rest.
class Whitelist {
public:
    using EntitySet =
        std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator>;
    // Per candidate symbol: how often it appeared beside the typed symbols,
    // and how often it appeared at all.
    using Information = std::map<ustring, std::pair<std::int32_t, std::int32_t>>;

    // Counts the symbols of the unit's definition, each resolved in the
    // database (a user database falls back to the built-in one), or in the
    // set. A definition that does not parse throws its parse error.
    void addSuggestions(const UnitBase& unit, const UnitDatabase& database);
    void addSuggestions(const UnitBase& unit, const UnitDBSet& set);
    // As the set variant, for a unit whose expression the set already resolved.
    void addSuggestions(const UnitBase& unit, const UnitAST& resolved);
    // `symbols` appeared together in one definition, that of the unit
    // `symbol`; a unit whose name is no valid name (an expression) counts too.
    void addSuggestionsHelper(const ustring& symbol, const std::set<ustring>& symbols,
                              bool nameIsValid);

    // Adds, for each completion whose symbol is a partner of an expression
    // entity's symbol, the pair count and the completion's occurrences.
    void appendInformation(const EntitySet& completions, Information& info,
                           const EntitySet& expressionEntities) const;

    std::int32_t getSymbolOccurrenceCount(const UnitBase& entity) const;
    std::int32_t getSymbolOccurrenceCountHelper(const ustring& symbol) const;
    void clearAll();

private:
    template <typename Resolve>
    void addDefinition(const UnitBase& unit, const Resolve& firstSymbolOf);
    // addSuggestionsHelper over any ascending range of distinct symbols.
    template <typename Symbols>
    void count(const ustring& symbol, const Symbols& symbols, bool nameIsValid);

    // A table adds one symbol per registered expression and a few pairs per
    // definition, for as long as its set lives: each symbol's text is kept
    // once, and a pair is two small slot numbers rather than two more copies.
    // Only symbols that definitions use get a slot, so the slots, and the
    // pairs, are bounded by what the databases hold.
    static constexpr std::uint32_t noSlot = UINT32_MAX;
    struct Symbol {
        std::uint32_t slot;
        std::int32_t occurrences;
    };
    struct Partner {
        std::uint32_t slot;
        std::int32_t count;
    };
    // A text with its hash, worked out once per look-up and kept for rehashing.
    struct Key {
        std::u16string_view text;
        std::size_t hash;
        bool operator==(const Key& other) const { return text == other.text; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept { return key.hash; }
    };
    static Key keyOf(std::u16string_view text);
    Symbol& intern(std::u16string_view text);
    const Symbol* find(std::u16string_view text) const;
    std::uint32_t slotOf(Symbol& symbol);
    // Pairs are counted both ways at once: each lives in the list of its lower slot.
    void countPair(std::uint32_t a, std::uint32_t b);
    std::int32_t pairCount(std::uint32_t a, std::uint32_t b) const;

    // Holds the symbols' texts: the views into it stay valid until clearAll.
    std::unique_ptr<std::pmr::monotonic_buffer_resource> texts_ =
        std::make_unique<std::pmr::monotonic_buffer_resource>();
    std::unordered_map<Key, Symbol, KeyHash> symbols_;
    // Per slot, its partners of higher slots, ascending.
    std::vector<std::vector<Partner>> partners_;
};

} // namespace CvUnitSys
