#pragma once

#include "units/db/ManagedUnitDB.hpp"
#include "units/db/PhysicalQuantityReductionMap.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UString.hpp"
#include "units/model/UnitSystem.hpp"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <shared_mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace CvUnitSys {

class UnitDBSet;

// The registered user databases, in name order, with the version that moves on
// every change of that list, the cache of all unit systems and the symbols that
// several user databases define. Every walk visits the built-in database first,
// then the listed ones in ascending name order.
//
// Lock order: a set's own locks before any of these; the version lock, then
// the list lock; the unit-system cache lock before the list lock; the version
// lock before the quantity reduction map's (a reload clears it). None is
// recursive, except that a walk may be re-entered from the same thread (a
// database loading inside a walk looks up unit systems).
class UnitDBManager {
public:
    using Loader = ManagedUnitDB::Loader;
    using NamedLoader = std::pair<ustring, Loader>;
    using NamedLoaders = std::vector<NamedLoader>;
    using Visitor = std::function<void(const UnitDatabase&)>;
    using VisitorUntil = std::function<bool(const UnitDatabase&)>;
    using CustomVisitor = std::function<void(UnitDatabase&)>;
    using CustomVisitorUntil = std::function<bool(UnitDatabase&)>;
    using SystemList = std::vector<std::shared_ptr<UnitSystem>>;
    // The listed databases, in list order; holding them keeps them alive after
    // they leave the list.
    using Snapshot = std::vector<std::shared_ptr<ManagedUnitDB>>;

    static UnitDBManager m_UnitDBManager;

    UnitDBManager();
    ~UnitDBManager();
    UnitDBManager(const UnitDBManager&) = delete;
    UnitDBManager& operator=(const UnitDBManager&) = delete;

    void iterateAll(const Visitor& fn) const;
    void iterateUntil(const VisitorUntil& fn) const;
    void iterateCustomDB(const CustomVisitor& fn) const;
    void iterateCustomDBUntil(const CustomVisitorUntil& fn) const;

    // Replaces an entry of the same name.
    void registerInternalUnitDatabase(const ustring& name, Loader loader);
    void removeInternalUnitDatabase(const ustring& name);
    // Replaces every external entry; a name already listed is skipped.
    void updateAllExternalUnitDatabases(const NamedLoaders& databases);
    void resetUserDBs();
    // Also empties the built-in database.
    void resetAll();
    // Lists the database unless its name is taken; then it stays with the caller
    // and the result is false.
    bool addDBToList(std::unique_ptr<UnitDatabase>& database);

    // The listed database of that name, loaded; null for a name not listed.
    UnitDatabase* getDB(const ustring& name) const;
    // The loader of that listed database; empty when the name is not listed.
    Loader getDBExtracter(const ustring& name) const;
    std::size_t getNumExternalUnitDBs() const;
    // Every listed database, each loaded, in list order.
    Snapshot snapshot() const;

    std::uint32_t getUnitDBSetVersion() const;
    void updateUnitDBSetVersion();

    std::unique_ptr<UnitDBSet> createNewUnitDBSet() const;
    std::unique_ptr<UnitDBSet> createNewUnitDBSet(const NamedLoaders& databases);

    void cacheUnitSystems();
    SystemList getAllUnitSystems();
    std::shared_ptr<UnitSystem> getUnitSystem(const ustring& name);

    void addToAmbiguousSymbols(const ustring& symbol, const std::set<ustring>& systems);
    bool isAmbiguousSymbol(const ustring& symbol) const;
    // Whether the symbol `symbolOf` gives for any of `entries` is, under one
    // hold of the lock; it is asked only when some symbol is ambiguous at all.
    template <typename Entries, typename SymbolOf>
    bool hasAmbiguousSymbol(const Entries& entries, const SymbolOf& symbolOf) const {
        // Every registration asks, and most processes have no ambiguous symbol.
        if (!anyAmbiguous_.load(std::memory_order_acquire)) {
            return false;
        }
        std::shared_lock lock(ambiguityLock_);
        return !ambiguousSymbols_.empty() && std::ranges::any_of(entries, [&](const auto& entry) {
            return ambiguousSymbols_.contains(symbolOf(entry));
        });
    }
    std::set<ustring> getAmbiguousSymbolsUnitSystems(const ustring& symbol) const;
    void clearAmbiguousSymbols();

    // Every quantity of every database reduced to base quantities; emptied by
    // each change of the list, filled again on the next initializeIfNeeded.
    PhysicalQuantityReductionMap& getPhysicalQuantityReductionMap() {
        return *physicalQuantityReductionMap_;
    }

    // Validates the listed databases and detects duplicates, on m_UnitDBManager.
    static void reloadUnitDBs();

    ustring toUString() const;

private:
    friend class UnitDBSet;
    friend void resetUserDefinedDatabases(const NamedLoaders& databases);
    friend void registerInternalUnitDatabase(const ustring& name, Loader loader);
    friend void removeInternalUnitDatabase(const ustring& name);

    class SharedListLock;

    template <typename Change> static void changeListAndReload(Change change);
    // Validates and detects duplicates holding the version lock exclusively,
    // first applying the change, which says whether the list changed.
    template <typename Change> static void reload(Change change);

    static const bool lookupInstalled_;

    // The first database, in walk order, that has the system; no cache involved.
    std::shared_ptr<UnitSystem> findUnitSystem(const ustring& name) const;

    std::map<ustring, std::shared_ptr<ManagedUnitDB>> databases_;
    mutable std::shared_mutex listLock_;
    // Atomic for the sets' check that they are up to date, which takes no lock.
    std::atomic<std::uint32_t> setVersion_{0};
    mutable std::shared_mutex versionLock_;
    SystemList unitSystems_;
    mutable std::shared_mutex unitSystemLock_;
    std::unordered_map<ustring, std::set<ustring>> ambiguousSymbols_;
    mutable std::shared_mutex ambiguityLock_;
    // Whether ambiguousSymbols_ holds any, written under its lock and read without.
    std::atomic<bool> anyAmbiguous_{false};
    // Last, so that it goes before the locks and the list it reads from.
    std::unique_ptr<PhysicalQuantityReductionMap> physicalQuantityReductionMap_;
};

// The host's entry points for changing the user databases. Each changes the
// list, moves the version on, validates the databases and reports duplicates.
void resetUserDefinedDatabases(const UnitDBManager::NamedLoaders& databases);
void registerInternalUnitDatabase(const ustring& name, UnitDBManager::Loader loader);
void removeInternalUnitDatabase(const ustring& name);

std::shared_ptr<UnitSystem> GetUnitSystem(const ustring& name);
std::vector<std::shared_ptr<UnitSystem>> GetAllUnitSystems();
std::size_t GetNumExternalUnitDBs();

} // namespace CvUnitSys
