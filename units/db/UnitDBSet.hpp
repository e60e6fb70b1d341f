#pragma once

#include "units/db/NodePool.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParsedSymbol.hpp"
#include "units/expr/UnitNumericInfoForConversions.hpp"
#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/ExponentUsage.hpp"
#include "units/model/UnitASTPool.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitDefinition.hpp"
#include "units/model/UnitProvenance.hpp"
#include "units/model/UnitSystem.hpp"
#include "units/platform/BaseMsgID.hpp"
#include "units/query/UnitComparison.hpp"
#include "units/query/Whitelist.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

class UnitExpr;

namespace CvUnitSys {

// What an editor offers while a unit text is typed: the text that the
// suggestions complete (everything before the word being typed) and the
// suggested entities, best first.
struct AutoCompletionResult {
    ustring text;
    std::vector<std::reference_wrapper<const UnitBase>> units;
};

// One client's merged view of the built-in database and the registered user
// databases. Names resolve in database order: the built-in database first, then
// the user databases by name; a user unit may be qualified as "db::symbol".
// Definitions are generated once per entity and cached. The set works on the
// list of user databases it was initialised with and keeps those alive, so a
// database the host removes meanwhile stays valid until the set rebuilds; call
// initializeIfNeeded before each request to pick up changes.
//
// A set belongs to one client at a time. Lock order: initialisation lock,
// definition lock, then the manager's locks.
class UnitDBSet {
public:
    using UnitSet = UnitDatabase::UnitSet;
    using PrefixSet = UnitDatabase::PrefixSet;
    using ProvenanceList = UnitDatabase::ProvenanceList;
    using ProvenanceMap = std::unordered_map<ustring, UnitProvenance>;
    // Found by a view of the key: most keys are an entity's bare symbol, which
    // then needs no copy. Not noexcept, so that nodes keep their hash codes.
    // Four code units a step: each registered text's symbol is hashed to
    // keep its definition and again whenever the definition is looked up.
    using KeyHash = TextKeyHash;
    using KeyEqual = TextEqual;
    using DefinitionMap = std::unordered_map<ustring, UnitDefinition, KeyHash, KeyEqual>;
    // A temporary definition is kept for each registered unit: its key shares
    // the entity's texts, read as their symbol, instead of copying the symbol.
    struct TemporaryKey {
        UnitTexts texts;
        std::u16string_view text() const { return texts.get(UnitTexts::Symbol); }
    };
    struct TemporaryKeyHash : KeyHash {
        using KeyHash::operator();
        std::size_t operator()(const TemporaryKey& key) const { return (*this)(key.text()); }
    };
    struct TemporaryKeyEqual : KeyEqual {
        static std::u16string_view view(std::u16string_view key) { return key; }
        static std::u16string_view view(const TemporaryKey& key) { return key.text(); }
        template <typename A, typename B> bool operator()(const A& a, const B& b) const {
            return KeyEqual::operator()(view(a), view(b));
        }
    };
    // Its nodes come from the set's pool: one is made for every registered unit.
    using TemporaryDefinitionMap =
        std::unordered_map<TemporaryKey, UnitDefinition, TemporaryKeyHash, TemporaryKeyEqual,
                           PooledAllocator<std::pair<const TemporaryKey, UnitDefinition>>>;
    using SystemList = std::vector<std::shared_ptr<UnitSystem>>;

    UnitDBSet();
    ~UnitDBSet();
    UnitDBSet(const UnitDBSet&) = delete;
    UnitDBSet& operator=(const UnitDBSet&) = delete;

    // Rebuilds when never built or when the manager's version moved on.
    void initializeIfNeeded();
    bool isInitialized() const;

    // The matches of the first database that has any.
    UnitSet findUnit(const ustring& name) const;
    UnitSet findPhysicalQuantity(const ustring& name) const;
    // The first match; "UnitNotInDatabase" / "PhysicalQuantityNotInDatabase" when none.
    const UnitBase& getUnit(const ustring& name) const;
    const UnitBase& getPhysicalQuantity(const ustring& name) const;
    // The default quantity accepts a unit of any quantity.
    bool hasUnit(const ustring& name, const UnitBase& quantity) const {
        return findUnitOf(name, quantity) != nullptr;
    }
    // The unit hasUnit finds, or null.
    const UnitBase* findUnitOf(const ustring& name, const UnitBase& quantity) const;
    bool hasPhysicalQuantity(const ustring& name) const;
    // The full name of the first database defining the unit; empty when none does.
    ustring getDefiningDatabaseName(const ustring& name) const;
    // The user database of that full name, or null.
    const UnitDatabase* getDB(const ustring& name) const;

    UnitSet getAllUnits() const;
    PrefixSet getAllPrefixes() const;
    UnitSet getAllPhysicalQuantities() const;
    ProvenanceMap getAllUnitProvenances() const;
    ProvenanceList getProvenancesForUnit(const ustring& name) const;
    ProvenanceList getProvenancesForPhysicalQuantity(const ustring& name) const;
    // Sorted, without repetition.
    std::vector<ustring> getAllUnitsFromUnitAndPhysicalQuantityMap() const;

    void setUnresolved(const UnitBase& entity);
    bool isUnresolved(const UnitBase& entity) const;
    void setAmbiguous(const UnitBase& entity);
    bool isAmbiguous(const UnitBase& entity) const;
    // The entity's definition key: its symbol, qualified by the short name of
    // the first user database holding it.
    ustring getQualifiedSymbolForCustomUnit(const UnitBase& entity) const;

    // Generates the entity's definition and those it depends on, once each;
    // "CycleInAST" when a definition depends on itself.
    void genUnitDefinition(const UnitBase& entity);
    // As above, with the entities of the entity's expression already looked up.
    void genUnitDefinition(const UnitBase& entity, const UnitAST& parts);
    // The definition, generated first when needed.
    const UnitDefinition& definitionOf(const UnitBase& entity);
    // The cached definition; std::out_of_range when it was never generated.
    const UnitDefinition& getUnitDefinition(const UnitBase& entity) const;
    void clearTemporaryUnitDefinitions();

    UnitComparison equivalent(const UnitBase& a, const UnitBase& b, ExponentUsage usage);
    std::optional<ConversionFactor> getSpecialConversionFactor(const UnitBase& a,
                                                               const UnitBase& b) const;
    // "UnresolvedUnitsNotConvertible" or "UnitsNotConvertible" when there is none.
    UnitNumericInfoForConversions getConversionInfo(const UnitBase& a, const UnitBase& b);
    // The conversion, or the diagnostic getConversionInfo would throw when the
    // units do not convert; other failures still throw.
    using ConversionOutcome = std::variant<UnitNumericInfoForConversions, BaseMsgID>;
    ConversionOutcome tryConversionInfo(const UnitBase& a, const UnitBase& b);

    // True, or throws "AlphaNumericStringOnlyForName" or "DimensionallyInconsistent".
    bool isValid(const UnitBase& entity, bool skipNameCheck);
    bool isValidUnitExpr(const ustring& expr) const;
    bool isAmbiguousUnitExpr(const ustring& expr) const;
    // The unit of each symbol of a parsed unit part, or nothing when one is not
    // in the databases.
    std::optional<UnitAST> resolveUnitExpr(const UnitExpr& unitPart) const;
    // The same for a parse that looked the symbols up already: a symbol's
    // first unit is taken as it is (null means ask) when `lookedUpIn` is this
    // set's built-in database.
    std::optional<UnitAST> resolveUnitExpr(std::span<const ParsedSymbol> symbols,
                                           const UnitDatabase* lookedUpIn) const;
    bool isAmbiguousUnitExpr(const UnitExpr& unitPart) const;
    bool isAmbiguousUnitExpr(std::span<const ParsedSymbol> symbols) const;
    bool isUnitCompatibleWithUnitSystems(const UnitBase& entity, const SystemList& systems);

    // Learns which symbols the client uses together, to rank completions.
    void addWhitelistedUnits(const UnitBase& entity);
    // As above, with the entities of the entity's expression already looked up.
    void addWhitelistedUnits(const UnitBase& entity, const UnitAST& parts);
    // A table's copy of a unit of the databases: addWhitelistedUnits, then
    // isValid with the name check.
    void addCopiedUnit(const UnitBase& copy, const UnitBase& original);
    // Completions of the word being typed at the end of `text`: units, or a
    // physical quantity after "@". Units that definitions use beside the
    // symbols already typed come first.
    AutoCompletionResult getAutoCompleteSuggestions(const ustring& text) const;
    // Every word within two edits of `text` (case aside), closest first, then
    // the most used, then the one with fewer capitals, then in code-unit order.
    std::vector<ustring> getApproximateSuggestion(const ustring& text,
                                                  UnitBase::UnitType type) const;
    // "db::symbol" for each user database that defines an ambiguous symbol.
    std::vector<ustring> getSuggestionsForAmbiguousUnits(const ustring& symbol) const;
    // The units of the symbol's physical quantities and of the quantities
    // related to them, and, for a product of units, the units of the
    // quantities with the same base expression; sorted ignoring case.
    std::vector<ustring> getSimilarUnitsForUnit(const ustring& symbol) const;
    std::vector<ustring> getSimilarUnitsForPhysicalQuantity(const ustring& name) const;

    // Removes the invalid units of each user database and reports them as one
    // warning per database.
    void detectInvalidUnits();
    // Reports duplicate names and symbols across all databases and records the
    // symbols that several user databases define as ambiguous.
    static void detectDuplicates();

    // The name that qualifies a user database's units: its unit system's name.
    static ustring getShortName(const UnitDatabase& database);

private:
    friend class UnitDBManager;

    // A user database as the set sees it: loaded, with the short name that
    // qualifies its units.
    struct UserDB {
        std::shared_ptr<ManagedUnitDB> managed;
        UnitDatabase* database;
        ustring shortName;
    };

    // With the initialisation and definition locks and the version lock held.
    void initializeLocked(std::uint32_t version);
    void resetDefinitions();
    const UnitDatabase& builtin() const;
    template <typename Lookup> auto resolve(std::u16string_view name, Lookup lookup) const;
    // findUnit's first unit, without building the set.
    const UnitBase* findFirstUnit(std::u16string_view name) const;
    // False when no database can find a unit by `text`, unqualified.
    bool mayNameUnit(std::u16string_view text) const;
    // The entity's definition; null for an entity that has none (no symbol, inherit).
    const UnitDefinition* generateDefinitionOnce(const UnitBase& entity, const UnitAST* parts);
    // The definition of a registered expression whose symbol names no
    // database unit and whose parts are all defined: one look-up of each and
    // no walk. False, with nothing changed, for any other case.
    bool generateRegistered(const UnitBase& entity, const UnitAST& parts);
    // Where the entity's own definition is found, or goes: a shared one needs no key.
    struct Slot {
        std::u16string_view key;
        bool qualified = false;
        const UnitDefinition* stored = nullptr;
    };
    // `notShared` tells that the built-in database was asked already.
    Slot slotOf(const UnitBase& entity, ustring& storage, bool notShared = false) const;
    // generateDefinitionOnce for an entity whose dependencies are generated;
    // `known` holds the parts' definitions when the caller found them, and
    // `slot` the entity's own look-up when nothing was generated since.
    const UnitDefinition* generateOne(const UnitBase& entity, const UnitAST* parts,
                                      std::span<const UnitDefinition* const> known = {},
                                      const Slot* slot = nullptr);
    // Generates what `root` depends on, and root, deepest first and without
    // recursion: chains of user units are as long as their author makes them.
    void generateDependencies(const UnitBase& root, const UnitAST* rootParts);
    // Generates the definition into `map` under `key`; the caller found none stored.
    template <typename Map>
    const UnitDefinition& generateInto(Map& map, std::u16string_view key, const UnitBase& entity,
                                       const UnitAST* parts,
                                       std::span<const UnitDefinition* const> known);
    void validateDatabase(UnitDatabase& database);
    // The quantities whose base expression that of a product of units is,
    // when each of its units has one physical quantity.
    std::vector<ustring> derivedQuantities(const ustring& symbol) const;
    // The built-in database, then the user databases in list order.
    std::vector<const UnitDatabase*> databasesInOrder() const;

    // What a validation remembers so that it stays linear in the number of
    // units and references: why each entity failed to generate, which units it
    // removed, and which definitions use each entity.
    struct ValidationMemo {
        struct Failure {
            std::exception_ptr error;
            // A failure found through a cycle depends on that cycle's entity.
            const UnitBase* cycleEntity;
            ustring cycleSymbol;
        };
        struct User {
            const UnitBase* entity;
            ustring key;
        };
        std::unordered_map<const UnitBase*, Failure> failures;
        std::unordered_set<const UnitBase*> removed;
        std::unordered_map<const UnitBase*, std::vector<User>> users;
    };
    // Removes an invalid unit and every definition that uses it.
    void removeInvalidUnit(UnitDatabase& database, const UnitBase& unit);
    // The entity's own definition under its key, or one the built-in database
    // shares; null when neither exists.
    const UnitDefinition* storedDefinition(const UnitBase& entity, std::u16string_view key) const;
    const UnitDefinition* storedDefinition(const UnitBase& entity) const;
    // The set's own definition under the key, without the shared ones.
    const UnitDefinition* ownDefinition(const UnitBase& entity, std::u16string_view key) const;
    // The entity's definition key: its own symbol, or a qualified one made in
    // `storage` when a user database holds the entity.
    std::u16string_view definitionKey(const UnitBase& entity, ustring& storage) const;

    DefinitionMap unitDefinitions_;
    DefinitionMap physicalQuantityDefinitions_;
    NodePool temporaryNodes_;
    TemporaryDefinitionMap temporaryUnitDefinitions_{
        0, TemporaryKeyHash{}, TemporaryKeyEqual{},
        TemporaryDefinitionMap::allocator_type(temporaryNodes_)};
    // The own definitions of units last looked up, by entity: a registered
    // unit is asked for again and again, and its key would be hashed in both
    // unit maps each time. Only for sets without user databases, where the key
    // is the symbol; a hit must still match the entity's symbol, and the slots
    // are emptied whenever a definition node may go.
    struct RecentDefinition {
        const UnitBase* entity = nullptr;
        std::u16string_view key;
        const UnitDefinition* definition = nullptr;
        // A temporary definition's entity is no database's own, so no
        // definition of it is shared: a hit needs no look-up of those.
        bool temporary = false;
    };
    static constexpr std::size_t kRecentDefinitions = 64;
    RecentDefinition* recentSlot(const UnitBase& entity) const;
    void forgetRecentDefinitions();
    mutable std::array<RecentDefinition, kRecentDefinitions> recent_{};
    // Parts of registered expressions whose definitions, and their own
    // quantities', are made: registered texts name the same few database
    // units again and again. A part's definition may be a shared one, so
    // the slots are emptied when the built-in database drops those, as well
    // as with the recent definitions.
    struct SettledPart {
        const UnitBase* entity = nullptr;
        const UnitDefinition* definition = nullptr;
    };
    static constexpr std::size_t kSettledParts = 1024;
    SettledPart& settledSlot(const UnitBase& entity);
    std::array<SettledPart, kSettledParts> settled_{};
    std::uint64_t settledGeneration_ = 0;
    // The fundamental ASTs of the definitions stored since the maps were last
    // emptied, each block once.
    UnitASTPool fundamentalASTs_;
    // Asked of by a unit's symbol, a view: looked up without a copy.
    std::unordered_set<ustring, KeyHash, KeyEqual> unresolvedSymbols_;
    std::unordered_set<ustring, KeyHash, KeyEqual> ambiguousSymbols_;
    std::uint32_t version_ = 0;
    // builtMark(version_) once the set is built, 0 while it is not: what
    // initializeIfNeeded checks without a lock.
    std::atomic<std::uint64_t> built_{0};
    static std::uint64_t builtMark(std::uint32_t version) { return (1ULL << 32) | version; }
    Whitelist whitelist_;
    const UnitDatabase* builtin_ = nullptr;
    std::vector<UserDB> databases_;
    // Databases the temporary definitions may still point into after a rebuild.
    std::vector<UserDB> retained_;
    std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator> inProgress_;
    // Set while generateDependencies runs and while a validation runs.
    bool walking_ = false;
    ValidationMemo* memo_ = nullptr;
    std::recursive_mutex definitionLock_;
    std::mutex initializationLock_;
};

} // namespace CvUnitSys
