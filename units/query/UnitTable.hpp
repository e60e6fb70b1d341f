#pragma once

#include "units/db/NodePool.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/UnitExprWithTexts.hpp"
#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitSystem.hpp"
#include "units/platform/Diagnostic.hpp"
#include "units/platform/FeatureSwitch.hpp"
#include "units/query/TextIdIndex.hpp"
#include "units/query/UnitComparison.hpp"

#include <boost/container/vector.hpp>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

namespace CvUnitSys {

class UnitDiagnosticsReporter;

// One client's registry of unit expressions: each distinct expression is
// registered once and answered by a small integer id afterwards. Three ids
// exist from construction: -2 "mixed", -1 "inherit" and 0 the empty expression.
// A table is used by one thread at a time, except the undefined and ambiguous
// unit lists, which have their own locks.
class UnitTable {
public:
    static constexpr std::int32_t NoUnitId = -10;
    static constexpr std::int32_t MixedUnitId = -2;
    static constexpr std::int32_t InheritUnitId = -1;
    static constexpr std::int32_t EmptyUnitId = 0;

    UnitTable();
    // The table owns the reporter; null means no reporter.
    explicit UnitTable(std::unique_ptr<UnitDiagnosticsReporter> reporter);
    virtual ~UnitTable();
    UnitTable(const UnitTable&) = delete;
    UnitTable& operator=(const UnitTable&) = delete;

    // Drops every unit but the three special ones; the next id is 1 again.
    virtual void resetToBuiltin();
    // The id of the expression, registering it when new. A strict registration
    // throws for a malformed expression; a non-strict one registers it as
    // unresolved. `fromModel` marks that units propagate.
    virtual std::int32_t registerUnit(const ustring& expr, bool strict, bool fromModel);
    virtual bool isUnitUnresolved(std::int32_t id) const;
    virtual bool isUnitAmbiguous(std::int32_t id) const;
    virtual bool isUnitPQOnly(std::int32_t id) const;

    // Registers for a block: nothing on success, otherwise the diagnostic,
    // wrapped in "UnitErrorFromBlock" when a block path is given.
    static std::optional<Diagnostic> RegisterUnit(UnitTable& table, const ustring& blockPath,
                                                  const ustring& expr, std::int32_t* id,
                                                  bool strict);

    // Keeps an existing unit of the same id; the index gains (key, id) unless the id is -2.
    void addUnit(ustring key, std::unique_ptr<UnitBase> unit);
    // A unit part parsed, and looked up when all its symbols resolve, once for
    // every step of a registration.
    struct PreparedUnitPart {
        // Parses in place: the parse result is large. Throws as the parse does.
        explicit PreparedUnitPart(const ustring& unitPart)
            : parsed(unitPart, UnitExprWithTexts::Forms::MadeLater),
              oneSymbol(parsed.symbols.size() == 1 && parsed.symbols[0].text == unitPart) {}
        // Its symbols and texts are views of the unit part, which outlives it.
        UnitExprWithTexts parsed;
        // The part is one symbol with no operator, so it may name a database unit.
        bool oneSymbol;
        std::optional<UnitAST> parts;
    };
    // `prepared` is the unit part's preparation, when the caller has it; the
    // unit copies its texts.
    std::unique_ptr<UnitBase> allocateUnit(std::int32_t id, const ustring& unitPart,
                                           const ustring& quantityPart, bool resolved,
                                           bool wellFormed, PreparedUnitPart* prepared = nullptr);
    void removeUnit(const UnitBase& unit);
    // Bring the id sets up to date after the databases changed.
    void resolveUnresolvedUnits();
    void resolveAmbiguousUnits();

    // NoUnitId when the expression is not registered.
    std::int32_t getUnitId(const ustring& expr, bool sanitize) const;
    // Null for the inherit expression and for one not registered.
    const UnitBase* getUnit(const ustring& expr) const;
    static bool isInherit(std::u16string_view expr);
    static bool isAValidUnit(const ustring& expr);
    static bool isAValidExpr(const ustring& expr);
    static std::int32_t getBaseUnit(const ustring& name);

    // Throws "InvalidUnitId" for an id the table does not hold.
    void checkUnitId(std::int32_t id) const;
    bool isUnitIdValid(std::int32_t id) const;
    bool isUnitIdValid_NotInherit(std::int32_t id) const;
    std::size_t getNumUnits() const { return units_.size(); }
    // Callers validate the id first.
    const UnitBase* getUnit(std::int32_t id) const;
    std::u16string_view getUserSpecifiedUnitExpr(std::int32_t id) const;
    ustring getUnitDispExpr(std::int32_t id) const;
    ustring getUnitNameExpr(std::int32_t id) const;
    ustring getUnitSymbolExpr(std::int32_t id) const;
    ustring getUnitAsciiSymbolExpr(std::int32_t id) const;

    UnitComparison equivalentUnits(std::int32_t id1, std::int32_t id2);
    // Throws "CannotConvertUnspecified" when one side is unspecified or mixed.
    UnitNumericInfoForConversions getConversionInfo(std::int32_t id1, std::int32_t id2);
    // The conversion, or the diagnostic getConversionInfo would throw when the
    // units do not convert; an invalid id still throws.
    UnitDBSet::ConversionOutcome tryConversionInfo(std::int32_t id1, std::int32_t id2);
    bool isUnitCompatibleWithUnitSystems(std::int32_t id, const UnitDBSet::SystemList& systems);
    // Computed once per id; safe to call from several threads.
    const std::vector<ustring>& getUndefinedUnitsList(std::int32_t id);
    const std::vector<ustring>& getAmbiguousUnitsList(std::int32_t id);
    // The diagnostic that explains a failed comparison, or nothing; the same
    // object for every call with the code.
    static const std::optional<Diagnostic>& errorCause(UnitComparison comparison);

    UnitDBSet& getUnitDBSet() { return *set_; }
    UnitDBSet& getUnitDBSetForQuery();
    // The reporter the table was made with, or null.
    UnitDiagnosticsReporter* getUnitDiagnosticsReporter() const { return reporter_.get(); }

    bool doUnitsPropagate() const { return unitsPropagate_; }
    bool doUnitsPQOnlyPropagate() const { return pqOnlyPropagate_; }
    void enableUnitsPropagate() { unitsPropagate_ = true; }
    void enablePQOnlyPropagate() { pqOnlyPropagate_ = true; }

    // Ids below this are the special ones.
    static std::int32_t getNumBaseUnits();
    bool isOnlyBuiltIn() const;

    // Whether an expression may name a physical quantity without a unit
    // ("@length"); off unless the host turns it on.
    static FeatureSwitch& quantityOnlyRegistration();

private:
    // A unit, and where the key the index holds for its id lives, in one word:
    // a table keeps one entry per registered text.
    class Entry {
    public:
        enum Key : std::uintptr_t { NoKey, ExpressionKey, OwnKey };

        explicit Entry(std::unique_ptr<UnitBase> unit)
            : bits_(reinterpret_cast<std::uintptr_t>(unit.release())) {}
        Entry(Entry&& other) noexcept : bits_(std::exchange(other.bits_, 0)) {}
        Entry& operator=(Entry&& other) noexcept;
        ~Entry() { delete unit(); }

        UnitBase* unit() const { return reinterpret_cast<UnitBase*>(bits_ & ~keyMask); }
        Key key() const { return static_cast<Key>(bits_ & keyMask); }
        void setKey(Key key) { bits_ = (bits_ & ~keyMask) | key; }
        // The unit there was goes; the key stays where it was.
        void setUnit(std::unique_ptr<UnitBase> unit);

    private:
        static constexpr std::uintptr_t keyMask = 3;
        std::uintptr_t bits_;
    };

    // As the public addUnit, `hash` being the index's hash of `key`; `storage`,
    // when given, holds `key` and is moved from when the key needs a copy of its own.
    void addUnit(std::u16string_view key, std::uint32_t hash, ustring* storage,
                 std::unique_ptr<UnitBase> unit);
    // The index's key of the id lives in the unit's expression when that is the
    // same text, which is the common case, and in ownKeys_ otherwise.
    void indexKey(std::int32_t id, Entry& entry, std::u16string_view key, std::uint32_t hash,
                  ustring* storage);
    void unindexKey(std::int32_t id, const Entry& entry);
    // Swaps the unit of an entry, moving its key out of the unit that goes.
    void replaceUnit(std::int32_t id, Entry& entry, std::unique_ptr<UnitBase> unit);
    // The key the index holds for the id, or null when it holds none.
    std::optional<std::u16string_view> keyOf(std::int32_t id, const Entry& entry) const;

    void initialize();
    // The set keeps its own unresolved and ambiguous marks; after ids change
    // state they are laid anew from the id sets.
    void remarkUnitsInSet();
    std::int32_t findId(std::u16string_view key) const;
    std::int32_t findId(std::u16string_view key, std::uint32_t hash) const;
    // The index's way to the key of an id it holds.
    auto indexedKey() const {
        return [this](std::int32_t indexed) { return indexedText(indexed); };
    }
    std::u16string_view indexedText(std::int32_t id) const;
    std::int32_t nextId() const;
    static std::uint64_t pairKey(std::int32_t id1, std::int32_t id2);
    void clearPairCaches();
    // Empties the pair caches when the databases changed since they were filled.
    void refreshPairCaches();
    // The text of the unit's quantity for an id registered with one.
    ustring quantityText(std::int32_t id, std::u16string_view (UnitBase::*text)() const) const;
    ustring textWithQuantity(std::int32_t id, std::u16string_view (UnitBase::*text)() const) const;

    // By id, which each unit carries: ids come in ascending order, so the
    // vector grows at its end, and an entry is one word.
    boost::container::vector<Entry> units_;
    // Ids by the texts their entries point at; an entry leaves the index
    // before its text goes.
    TextIdIndex index_;
    // The keys that are not their unit's expression: a text with a quantity, or
    // one answered by a copy of a database unit. Nodes stay put.
    std::unordered_map<std::int32_t, ustring> ownKeys_;
    std::unordered_set<std::int32_t> idsWithQuantity_;
    std::unordered_set<std::int32_t> unresolvedIds_;
    std::unordered_map<std::int32_t, std::vector<ustring>> undefinedUnits_;
    std::unordered_set<std::int32_t> ambiguousIds_;
    std::unordered_set<std::int32_t> quantityOnlyIds_;
    std::unordered_map<std::int32_t, std::vector<ustring>> ambiguousUnits_;
    bool unitsPropagate_ = false;
    bool pqOnlyPropagate_ = false;
    std::unique_ptr<UnitDBSet> set_;
    // Conversions and comparisons already computed, by (first id, second id),
    // for the manager's version they were computed under. Each holds at most
    // maxCachedPairs entries: a full cache starts over.
    static constexpr std::size_t maxCachedPairs = 1 << 16;
    using Conversion = std::pair<const std::uint64_t, std::variant<ConversionFactor, BaseMsgID>>;
    // A node per pair the table is asked about: they come from a pool, which
    // keeps at most as many as the cache held at once. Made before the cache,
    // so that it goes after it.
    NodePool conversionNodes_;
    std::unordered_map<std::uint64_t, Conversion::second_type, std::hash<std::uint64_t>,
                       std::equal_to<>, PooledAllocator<Conversion>>
        conversions_{0, std::hash<std::uint64_t>{}, std::equal_to<>{},
                     PooledAllocator<Conversion>(conversionNodes_)};
    std::unordered_map<std::uint64_t, UnitComparison> comparisons_;
    std::uint32_t pairCachesVersion_ = 0;
    std::mutex undefinedLock_;
    std::mutex ambiguousLock_;
    // Last, so that it goes first.
    std::unique_ptr<UnitDiagnosticsReporter> reporter_;
};

} // namespace CvUnitSys
