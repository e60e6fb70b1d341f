#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"

#include <boost/container/small_vector.hpp>
#include <boost/intrusive/unordered_set.hpp>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <set>
#include <string_view>
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
    // The entities a definition names: a handful, kept in place.
    using Parts = boost::container::small_vector<const UnitBase*, 3>;

    Whitelist() = default;
    // Its symbols are linked through buckets it owns: it stays where it is.
    Whitelist(const Whitelist&) = delete;
    Whitelist& operator=(const Whitelist&) = delete;

    // Counts the symbols of the unit's definition, each resolved in the
    // database (a user database falls back to the built-in one), or in the
    // set. A definition that does not parse throws its parse error.
    void addSuggestions(const UnitBase& unit, const UnitDatabase& database);
    void addSuggestions(const UnitBase& unit, const UnitDBSet& set);
    // The entities the set variant counts for the unit: each symbol of its
    // definition the set finds, as its first unit. Parse errors are thrown.
    static Parts definitionParts(const UnitBase& unit, const UnitDBSet& set);
    // Counts the unit as the set variant does, its parts found already.
    void addSuggestions(const UnitBase& unit, const Parts& parts);
    // As the set variant, for a unit whose expression the set already resolved
    // and whose texts no other registration shares; counted when the counts
    // are next read. The parts must outlive that: see settle. `held` tells
    // that the set keeps a copy of the unit's texts until it calls releaseHeld.
    void addSuggestions(const UnitBase& unit, const UnitAST& resolved, bool held = false);
    // The set let go of the texts it held: their units may be gone.
    void releaseHeld();
    // `symbols` appeared together in one definition, that of the unit
    // `symbol`; a unit whose name is no valid name (an expression) counts too.
    void addSuggestionsHelper(const ustring& symbol, const std::set<ustring>& symbols,
                              bool nameIsValid);

    // Adds, for each completion whose symbol is a partner of an expression
    // entity's symbol, the pair count and the completion's occurrences.
    void appendInformation(const EntitySet& completions, Information& info,
                           const EntitySet& expressionEntities) const;

    std::int32_t getSymbolOccurrenceCount(const UnitBase& entity) const;
    std::int32_t getSymbolOccurrenceCountHelper(std::u16string_view symbol) const;
    void clearAll();
    // Counts the pending registrations. Reads do it first; the set does it
    // before the user databases whose entities they name can go. Only a set's
    // whitelist, read by one thread at a time, ever has any.
    void settle() const;

private:
    template <typename Resolve>
    static Parts partsOf(const UnitBase& unit, const Resolve& firstUnitOf);
    // addSuggestionsHelper over any range of symbols; one named twice counts once.
    template <typename Symbols>
    void count(std::u16string_view symbol, const Symbols& symbols, bool nameIsValid) const;

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
    // A symbol's counts and text, kept together in `texts_` (the text right
    // after the entry) and linked into `symbols_`: no node of its own.
    struct Entry : boost::intrusive::unordered_set_base_hook<
                       boost::intrusive::link_mode<boost::intrusive::normal_link>> {
        Symbol symbol;
        std::uint32_t length;
        std::u16string_view text() const {
            return {reinterpret_cast<const char16_t*>(this + 1), length};
        }
    };
    struct TextHash {
        std::size_t operator()(std::u16string_view text) const noexcept;
        std::size_t operator()(const Entry& entry) const noexcept { return (*this)(entry.text()); }
    };
    struct SameText {
        bool operator()(std::u16string_view text, const Entry& entry) const {
            return text == entry.text();
        }
        bool operator()(const Entry& a, const Entry& b) const { return a.text() == b.text(); }
    };
    using SymbolTable = boost::intrusive::unordered_set<
        Entry, boost::intrusive::hash<TextHash>, boost::intrusive::equal<SameText>,
        boost::intrusive::power_2_buckets<true>, boost::intrusive::constant_time_size<true>>;
    static constexpr std::size_t firstBuckets = 64;
    // Const, as is all counting: a read settles what is pending.
    Symbol& intern(std::u16string_view text) const;
    const Symbol* find(std::u16string_view text) const;
    std::uint32_t slotOf(Symbol& symbol) const;
    // Pairs are counted both ways at once: each lives in the list of its lower slot.
    void countPair(std::uint32_t a, std::uint32_t b) const;
    std::int32_t pairCount(std::uint32_t a, std::uint32_t b) const;

    // A set's registration waiting to be counted: tables rarely ask for
    // suggestions, so a registration only notes its unit's texts (its symbol,
    // its name, and by their copies whether the unit is gone) and its parts,
    // the entities next in `pendingParts_`. Counting later changes no count
    // that a read sees. 16 bytes, and 8 per part.
    struct Pending {
        UnitTexts texts;
        std::uint32_t parts = 0;
        // Counted by a compaction, or by a settle that a failed allocation cut short.
        bool counted = false;
        // Texts the set holds are no last copy: a compaction does not read them.
        bool held = false;
    };
    using PartIterator = std::deque<const UnitBase*>::const_iterator;
    void countPending(Pending& pending, PartIterator parts) const;
    // Counts now the pending registrations whose unit is gone: the list holds
    // at most twice as many as there are units registered since the last read
    // whose texts still live (in the table, or in the key of the set's
    // temporary definition), plus 64.
    void compactPending();
    // Removes the records counted, keeping the others in order.
    void dropCounted() noexcept;
    static constexpr std::size_t firstCompaction = 64;
    // In blocks: they grow with the registrations, and a vector doubles.
    mutable std::deque<Pending> pending_;
    mutable std::deque<const UnitBase*> pendingParts_;
    mutable std::size_t compactAt_ = firstCompaction;

    // Holds the symbols' entries and texts until clearAll.
    std::unique_ptr<std::pmr::monotonic_buffer_resource> texts_ =
        std::make_unique<std::pmr::monotonic_buffer_resource>();
    // Twice as many when the symbols outnumber them.
    mutable std::vector<SymbolTable::bucket_type> buckets_ =
        std::vector<SymbolTable::bucket_type>(firstBuckets);
    mutable SymbolTable symbols_{SymbolTable::bucket_traits(buckets_.data(), buckets_.size())};
    // Per slot, its partners of higher slots, ascending, in one block whose
    // first element holds their number and its room in place of a slot and a
    // count: a pointer per slot, not a vector's three.
    mutable std::vector<std::unique_ptr<Partner[]>> partners_;
};

} // namespace CvUnitSys
