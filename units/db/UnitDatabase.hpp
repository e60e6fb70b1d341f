#pragma once

#include "units/db/DatabaseSource.hpp"
#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/CompositeUnit.hpp"
#include "units/model/FundamentalUnits.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitBase.hpp"
#include "units/model/UnitPrefix.hpp"
#include "units/model/UnitProvenance.hpp"
#include "units/model/UnitSystem.hpp"
#include "units/platform/IException.hpp"
#include "units/query/Whitelist.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace CvUnitSys {

class AutoComplete;
class Model;
class UnitDefinition;

// One loaded unit database: owns its entities, indexes them by name and
// symbol, composes prefixed units on demand and keeps the relation tables the
// loaders fill. Lookups take no lock; they rely on the database being loaded.
class UnitDatabase {
public:
    using UnitSet = std::set<std::reference_wrapper<const UnitBase>, UnitBase::ConstRefComparator>;
    using PrefixSet =
        std::set<std::reference_wrapper<const UnitPrefix>, UnitPrefix::ConstRefComparator>;
    using ProvenanceList = std::vector<std::reference_wrapper<const UnitProvenance>>;
    using Loader = std::function<void(UnitDatabase&)>;

    UnitDatabase(const ustring& name, DatabaseSource source);
    ~UnitDatabase();
    UnitDatabase(const UnitDatabase&) = delete;
    UnitDatabase& operator=(const UnitDatabase&) = delete;

    static std::unique_ptr<UnitDatabase> createNewDatabase(const ustring& name,
                                                           DatabaseSource source);
    // The process-wide built-in database, loaded on first use.
    static UnitDatabase* getUnitDatabase();
    static UnitDatabase* getBuiltinDatabase() { return getUnitDatabase(); }
    // Whether the built-in database has finished loading; loads nothing.
    static bool isBuiltinLoaded();
    // The install path followed by the built-in database's relative path.
    static const ustring& builtinPath();
    // What fills user database files: loadFromXMLIntoMemory unless a test sets
    // another. Returns the previous loader.
    static Loader setFileLoader(Loader loader);

    // The fundamental entities' definitions by symbol, ASCII symbol and name.
    static const FundamentalUnits::DefinitionMap& getFundamentalUnitsDefinitions();
    static const FundamentalUnits::DefinitionMap& getFundamentalPhysicalQuantitiesDefinitions();
    // Exact, case-sensitive matches of a fundamental unit's or quantity's
    // symbol, ASCII symbol or name; null or false when there is none.
    static bool isFundamentalUnit(const ustring& text);
    static const UnitBase* getFundamentalUnit(const ustring& text);
    static bool isFundamentalPhysicalQuantity(const ustring& text);
    static const UnitBase* getFundamentalPhysicalQuantity(const ustring& text);
    // Inserts the fundamental entities of the same kind (units for a unit,
    // quantities otherwise) whose symbol, ASCII symbol or name is the entity's symbol.
    static void addMatchingFundamentalUnitToList(const UnitBase& entity, UnitSet& out);

    void loadIfNeeded();
    // Fills the database from an SQL database file; problems become one
    // warning, never an exception.
    void loadUnitDatabase(const ustring& path);
    // What a load does with a fault that ends it (an invalid unit-system name,
    // a unit of an unknown quantity, a clash with a stored entry).
    using EndingFault = std::function<void(const IException&)>;
    // Fills a user database from the model of its file: provenances, its one
    // unit system, quantities and units, each checked before it is stored.
    // Entries left out are reported together in one warning. A fault that ends
    // the load is thrown, and what was stored before it stays; with `onFault`
    // given, it goes there instead and the load goes on with the next entry.
    void loadFromModel(const Model& model, const EndingFault& onFault = {});
    // Fills a user database from the model that the manager's loader for this
    // database's name gives; std::bad_function_call when the manager has none.
    void loadFromXMLIntoMemory();
    bool isBuiltin() const { return name_ == builtinPath(); }
    ustring calDBFileShortName() const;
    const ustring& getName() const { return name_; }
    DatabaseSource getSource() const { return source_; }
    const ustring& getUnitSystemName() const { return unitSystemName_; }
    void setUnitSystemName(const ustring& name) { unitSystemName_ = name; }
    ustring getDatabaseVersionString() const;
    void setDatabaseVersionString(const ustring& version);

    void addUnitSystem(const UnitSystem& system);
    void addUnitProvenance(UnitProvenance&& provenance);
    // Stores a copy of a unit or physical quantity and returns it; other kinds are ignored.
    const UnitBase& addUnit(const UnitBase& entity);
    // The same, keeping the given unit or physical quantity itself; any other
    // kind throws std::invalid_argument.
    const UnitBase& addUnit(std::unique_ptr<UnitBase> entity);
    const UnitPrefix& addUnitPrefix(const UnitPrefix& prefix);
    // Indexes the entity for completion; a unit's definition also feeds the
    // whitelist, and one that does not parse throws its parse error.
    void addToAutocomplete(const UnitBase& entity);

    // Relation tables, searchable from either side.
    void addUnitProvenanceMapping(const ustring& unitSymbol, const ustring& provenanceId);
    void addUnitAliasProvenanceMapping(const ustring& aliasName, const ustring& provenanceId);
    void addPhysicalQuantityProvenanceMapping(const ustring& pqName, const ustring& provenanceId);
    void addUnitPhysicalQuantityMapping(const ustring& unitOrExpression, const ustring& pqName);
    // `factor` converts from `from` to `to`; both must be stored quantities.
    void addPhysicalQuantityRelation(const UnitBase& from, const UnitBase& to,
                                     const ConversionFactor& factor);

    UnitSet getUnit(const ustring& text) const;
    // The first of getUnit's units, in the set's order, and whether there are
    // more; for the hot look-ups that need no set.
    struct FirstUnit {
        const UnitBase* unit = nullptr;
        bool several = false;
        // The unit's symbol and ASCII symbol are both the text looked up: a
        // reader that holds the text need not read the unit's own.
        bool symbolIsText = false;
        void insert(const UnitBase& found);
    };
    // Answers for short texts are remembered until the units, prefixes or
    // composites change: those of the first maxRememberedFirstUnits texts.
    // Reads take no lock.
    FirstUnit getFirstUnit(std::u16string_view text) const;
    // Characters that join units into an expression, which the texts of
    // units and prefixes rarely hold: a text that holds one then names no unit.
    static bool holdsOperator(std::u16string_view text) {
        for (const char16_t c : text) {
            if ((c >= u'(' && c <= u'*') || c == u'/' || c == u'^') {
                return true;
            }
        }
        return false;
    }
    // Whether a name or symbol of a unit or prefix stored holds an operator.
    bool hasOperatorTexts() const;
    static constexpr std::size_t maxRememberedFirstUnits = 4096;
    static constexpr std::size_t maxRememberedTextLength = 32;
    std::size_t getNumRememberedFirstUnits() const;
    UnitSet getUnit(const ustring& text, const UnitBase& physicalQuantity) const;
    UnitSet getPhysicalQuantity(const ustring& text) const;
    PrefixSet getUnitPrefix(const ustring& text) const;
    bool hasUnit(const UnitBase& entity) const;
    // Whether the entity is one this database holds or composed, not a copy.
    bool owns(const UnitBase& entity) const;
    // Definitions of the database's own entities that sets generated from
    // this database alone, for every set to read; any change to the
    // database's units, quantities or prefixes drops them.
    const UnitDefinition* findSharedDefinition(const UnitBase& entity) const;
    // The same for several entities at once (null ones are skipped).
    void findSharedDefinitions(std::span<const UnitBase* const> entities,
                               std::span<const UnitDefinition*> out) const;
    // The shared definition of an entity the database owns, the given one when
    // it is the first; null for any other entity.
    const UnitDefinition* shareDefinition(const UnitBase& entity,
                                          const UnitDefinition& definition) const;
    std::size_t getNumSharedDefinitions() const;
    // Moves on whenever the shared definitions are dropped.
    std::uint64_t getSharedDefinitionsGeneration() const;
    const CompositeUnit& getCompositeUnit(const UnitPrefix& prefix, const Unit& unit) const;
    UnitSet getAllUnits() const;
    UnitSet getAllPhysicalQuantities() const;
    PrefixSet getAllPrefixes() const;
    UnitSet getAllPossibleUnitsInDatabase() const;
    std::shared_ptr<UnitSystem> getUnitSystem(const ustring& name) const;
    const std::vector<std::shared_ptr<UnitSystem>>& getAllUnitSystems() const;
    const std::unordered_map<ustring, UnitProvenance>& getAllUnitProvenances() const;
    const UnitProvenance* getUnitProvenance(const ustring& id) const;
    std::size_t getNumUnits() const;
    std::size_t getNumPhysicalQuantities() const;
    std::size_t getNumPrefixes() const;
    std::size_t getNumUnitSystems() const;
    std::size_t getNumUnitProvenances() const;

    std::vector<ustring> getUnitFromPhysicalQuantity(const ustring& pqName) const;
    std::vector<ustring> getPhysicalQuantityFromUnit(const ustring& unitSymbol) const;
    std::vector<ustring> getAllUnitsFromUnitAndPhysicalQuantityMap() const;
    std::vector<ustring> getRelatedPhysicalQuantities(const ustring& pqName) const;
    std::optional<ConversionFactor> getSpecialConversionFactor(const UnitBase& a,
                                                               const UnitBase& b) const;

    // What this database offers for `text` being typed, as a unit or a
    // physical quantity: the entities whose name or symbol starts with it,
    // and for units also each prefix that the text starts with combined with
    // the units completing the rest, and each prefix being typed on its own.
    void appendAutoCompleteSuggestions(UnitSet& completions, const ustring& text,
                                       UnitBase::UnitType type) const;
    // Words within two edits of `text` (case aside), prefixed units included,
    // with their distance; a unit word also gains its whitelist occurrences.
    void appendApproximateSuggestion(const ustring& text,
                                     std::map<ustring, std::int32_t>& distances,
                                     std::map<ustring, std::int32_t>& occurrences,
                                     UnitBase::UnitType type) const;
    void appendWhiteListInformation(const UnitSet& completions, Whitelist::Information& info,
                                    const UnitSet& expressionEntities) const;

    ProvenanceList getProvenancesForUnit(const ustring& unitSymbol) const;
    ProvenanceList getProvenancesForPhysicalQuantity(const ustring& pqName) const;
    void appendProvenancesForUnit(const UnitBase& unit, ProvenanceList& out) const;
    void appendProvenancesForPhysicalQuantity(const UnitBase& pq, ProvenanceList& out) const;
    void appendUnitsForProvenance(const UnitProvenance& provenance, UnitSet& out) const;
    void appendPhysicalQuantitiesForProvenance(const UnitProvenance& provenance,
                                               UnitSet& out) const;

    // Also drops the unit's prefix entries and composites, which would dangle.
    void removeUnit(const UnitBase& entity);
    void clearAllUnits();
    void clearAllPhysicalQuantities();
    void clearAllPrefixes();
    void clearAllUnitSystems();
    void clearAllUnitProvenances();
    void clearAllCompositeUnits();
    // Empties the database and marks it unloaded, so the next loadIfNeeded loads again.
    void clearAll();

private:
    // getUnit and getPhysicalQuantity adding into a caller's set.
    template <typename Out> void collectUnits(std::u16string_view text, Out& out) const;
    void collectPhysicalQuantities(const ustring& text, UnitSet& out) const;
    const AutoComplete& autoComplete() const;
    void collectAutoCompleteSuggestions(UnitSet& completions, const ustring& text,
                                        UnitBase::UnitType type) const;
    // Completions that take a walk over every unit word (empty text after an
    // operator, a prefix symbol typed alone) are kept by `key` until the index
    // changes; `collect` makes them the first time.
    void appendKeptCompletions(const ustring& key, UnitSet& completions,
                               const std::function<void(UnitSet&)>& collect) const;
    void forgetCompletions();
    void forgetFirstUnits();
    struct Store;

    void appendProvenances(const std::vector<ustring>& ids, ProvenanceList& out) const;

    std::unique_ptr<Store> store_;
    ustring name_;
    ustring unitSystemName_;
    DatabaseSource source_;
    std::recursive_mutex lock_;
};

} // namespace CvUnitSys
