#include "units/db/UnitDBManager.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/host/RhodexUnitsObserver.hpp"
#include "units/model/UnitModelLookup.hpp"
#include "units/query/UnitQueryClient.hpp"

#include <algorithm>
#include <mutex>

namespace CvUnitSys {

namespace {

// The managers whose list lock this thread holds shared. A database that loads
// inside a walk looks up unit systems through another walk; re-locking a
// shared_mutex the thread already holds is undefined, so the inner walk
// relies on the outer lock instead.
std::vector<const UnitDBManager*>& heldListLocks() {
    thread_local std::vector<const UnitDBManager*> held;
    return held;
}

} // namespace

class UnitDBManager::SharedListLock {
public:
    explicit SharedListLock(const UnitDBManager& manager) : manager_(manager) {
        auto& held = heldListLocks();
        if (std::find(held.begin(), held.end(), &manager) == held.end()) {
            manager.listLock_.lock_shared();
            held.push_back(&manager);
            owns_ = true;
        }
    }
    ~SharedListLock() {
        if (owns_) {
            auto& held = heldListLocks();
            held.erase(std::find(held.begin(), held.end(), &manager_));
            manager_.listLock_.unlock_shared();
        }
    }
    SharedListLock(const SharedListLock&) = delete;
    SharedListLock& operator=(const SharedListLock&) = delete;

private:
    const UnitDBManager& manager_;
    bool owns_ = false;
};

UnitDBManager UnitDBManager::m_UnitDBManager;

// Units join the systems they name as the manager resolves them. The cache is
// bypassed: a database loading inside the cache's own walk asks this.
const bool UnitDBManager::lookupInstalled_ = [] {
    UnitModelLookup::Hooks hooks = UnitModelLookup::install({});
    hooks.managerUnitSystem = [](const ustring& name) {
        return m_UnitDBManager.findUnitSystem(name);
    };
    UnitModelLookup::install(std::move(hooks));
    return true;
}();

UnitDBManager::UnitDBManager()
    : physicalQuantityReductionMap_(std::make_unique<PhysicalQuantityReductionMap>()) {}

UnitDBManager::~UnitDBManager() {
    std::unique_lock lock(listLock_);
    databases_.clear();
}

void UnitDBManager::iterateAll(const Visitor& fn) const {
    SharedListLock lock(*this);
    fn(*UnitDatabase::getBuiltinDatabase());
    for (const auto& [name, managed] : databases_) {
        fn(**managed);
    }
}

void UnitDBManager::iterateUntil(const VisitorUntil& fn) const {
    if (!fn(*UnitDatabase::getBuiltinDatabase())) {
        iterateCustomDBUntil(fn);
    }
}

void UnitDBManager::iterateCustomDB(const CustomVisitor& fn) const {
    SharedListLock lock(*this);
    for (const auto& [name, managed] : databases_) {
        fn(**managed);
    }
}

void UnitDBManager::iterateCustomDBUntil(const CustomVisitorUntil& fn) const {
    SharedListLock lock(*this);
    for (const auto& [name, managed] : databases_) {
        if (fn(**managed)) {
            return;
        }
    }
}

void UnitDBManager::registerInternalUnitDatabase(const ustring& name, Loader loader) {
    std::unique_lock lock(listLock_);
    databases_.erase(name);
    databases_.emplace(
        name, std::make_shared<ManagedUnitDB>(name, std::move(loader), UnitDBSource::Internal));
}

void UnitDBManager::removeInternalUnitDatabase(const ustring& name) {
    std::unique_lock lock(listLock_);
    databases_.erase(name);
}

void UnitDBManager::updateAllExternalUnitDatabases(const NamedLoaders& databases) {
    std::unique_lock lock(listLock_);
    std::erase_if(databases_, [](const auto& entry) {
        return entry.second->getSource() == UnitDBSource::External;
    });
    for (const auto& [name, loader] : databases) {
        if (!databases_.contains(name)) {
            databases_.emplace(
                name, std::make_shared<ManagedUnitDB>(name, loader, UnitDBSource::External));
        }
    }
}

void UnitDBManager::resetUserDBs() {
    std::unique_lock lock(listLock_);
    databases_.clear();
}

void UnitDBManager::resetAll() {
    resetUserDBs();
    UnitDatabase::getBuiltinDatabase()->clearAll();
    physicalQuantityReductionMap_->clear();
}

bool UnitDBManager::addDBToList(std::unique_ptr<UnitDatabase>& database) {
    std::unique_lock lock(listLock_);
    const ustring name = database->getName();
    if (databases_.contains(name)) {
        return false;
    }
    databases_.emplace(name, std::make_shared<ManagedUnitDB>(std::move(database)));
    return true;
}

UnitDatabase* UnitDBManager::getDB(const ustring& name) const {
    SharedListLock lock(*this);
    auto it = databases_.find(name);
    return it == databases_.end() ? nullptr : &**it->second;
}

UnitDBManager::Loader UnitDBManager::getDBExtracter(const ustring& name) const {
    SharedListLock lock(*this);
    auto it = databases_.find(name);
    return it == databases_.end() ? Loader() : it->second->getExtractor();
}

std::size_t UnitDBManager::getNumExternalUnitDBs() const {
    SharedListLock lock(*this);
    return databases_.size();
}

UnitDBManager::Snapshot UnitDBManager::snapshot() const {
    SharedListLock lock(*this);
    Snapshot out;
    out.reserve(databases_.size());
    for (const auto& [name, managed] : databases_) {
        **managed;
        out.push_back(managed);
    }
    return out;
}

std::uint32_t UnitDBManager::getUnitDBSetVersion() const {
    std::shared_lock lock(versionLock_);
    return setVersion_;
}

void UnitDBManager::updateUnitDBSetVersion() {
    std::unique_lock lock(versionLock_);
    ++setVersion_;
}

std::unique_ptr<UnitDBSet> UnitDBManager::createNewUnitDBSet() const {
    return std::make_unique<UnitDBSet>();
}

std::unique_ptr<UnitDBSet> UnitDBManager::createNewUnitDBSet(const NamedLoaders& databases) {
    updateAllExternalUnitDatabases(databases);
    return createNewUnitDBSet();
}

void UnitDBManager::cacheUnitSystems() {
    SystemList systems;
    iterateAll([&systems](const UnitDatabase& database) {
        const auto& own = database.getAllUnitSystems();
        systems.insert(systems.end(), own.begin(), own.end());
    });
    std::unique_lock lock(unitSystemLock_);
    unitSystems_.swap(systems);
}

UnitDBManager::SystemList UnitDBManager::getAllUnitSystems() {
    {
        std::shared_lock lock(unitSystemLock_);
        if (!unitSystems_.empty()) {
            return unitSystems_;
        }
    }
    cacheUnitSystems();
    std::shared_lock lock(unitSystemLock_);
    return unitSystems_;
}

std::shared_ptr<UnitSystem> UnitDBManager::getUnitSystem(const ustring& name) {
    bool empty = false;
    {
        std::shared_lock lock(unitSystemLock_);
        empty = unitSystems_.empty();
    }
    if (empty) {
        cacheUnitSystems();
    }
    std::shared_lock lock(unitSystemLock_);
    return findUnitSystem(name);
}

std::shared_ptr<UnitSystem> UnitDBManager::findUnitSystem(const ustring& name) const {
    std::shared_ptr<UnitSystem> found;
    iterateUntil([&](const UnitDatabase& database) {
        found = database.getUnitSystem(name);
        return found != nullptr;
    });
    return found;
}

void UnitDBManager::addToAmbiguousSymbols(const ustring& symbol, const std::set<ustring>& systems) {
    std::unique_lock lock(ambiguityLock_);
    ambiguousSymbols_.insert_or_assign(symbol, systems);
    anyAmbiguous_.store(true, std::memory_order_release);
}

bool UnitDBManager::isAmbiguousSymbol(const ustring& symbol) const {
    std::shared_lock lock(ambiguityLock_);
    return ambiguousSymbols_.contains(symbol);
}

std::set<ustring> UnitDBManager::getAmbiguousSymbolsUnitSystems(const ustring& symbol) const {
    std::shared_lock lock(ambiguityLock_);
    auto it = ambiguousSymbols_.find(symbol);
    return it == ambiguousSymbols_.end() ? std::set<ustring>() : it->second;
}

void UnitDBManager::clearAmbiguousSymbols() {
    std::unique_lock lock(ambiguityLock_);
    ambiguousSymbols_.clear();
    anyAmbiguous_.store(false, std::memory_order_release);
}

void UnitDBManager::reloadUnitDBs() {
    reload([](UnitDBManager&) { return false; });
}

template <typename Change> void UnitDBManager::reload(Change change) {
    UnitDBSet set;
    {
        // The set's own locks before the manager's, as for every set.
        std::lock_guard initialization(set.initializationLock_);
        std::lock_guard definitions(set.definitionLock_);
        UnitDatabase::getBuiltinDatabase();
        // Rebuilds hold this lock shared, so none runs while the list changes
        // or the databases are validated.
        std::unique_lock version(m_UnitDBManager.versionLock_);
        if (change(m_UnitDBManager)) {
            ++m_UnitDBManager.setVersion_;
            // After the list changed, so that a fill starting now sees the new list.
            m_UnitDBManager.physicalQuantityReductionMap_->clear();
        }
        set.initializeLocked(m_UnitDBManager.setVersion_);
        set.detectInvalidUnits();
        UnitDBSet::detectDuplicates();
    }
    // Outside the version lock: the client's table initialises a set of its own.
    UnitQueryClient().resetQueryTableToBuiltin();
}

// The list changes under the list lock and the version moves on under the
// version lock, each its own critical section, but both inside the exclusive
// hold of the version lock that the validation keeps. With the version lock
// taken only after the list changed, a set initialising in between takes the
// new list at the old version and reads a database that the validation then
// changes (its unit removals and its autocompletion entries): the churn test
// of the concurrency suite catches that as missing completions.
template <typename Change> void UnitDBManager::changeListAndReload(Change change) {
    // Loaded first, so that its own word to the observer comes before the change.
    UnitDatabase::getBuiltinDatabase();
    RhodexUnitsObserver& observer = getRhodexUnitsObserver();
    observer.setUnitDatabaseInitialized(false);
    try {
        reload([&change](UnitDBManager& manager) {
            change(manager);
            return true;
        });
    } catch (...) {
        // A database whose load ended with an error stays as far as it got.
        observer.setUnitDatabaseInitialized(true);
        throw;
    }
    observer.setUnitDatabaseInitialized(true);
}

ustring UnitDBManager::toUString() const {
    ustring out = u"\n UnitDBs on Manager:\n";
    out += u"Built-in file : " + UnitDatabase::builtinPath() + u"\n";
    SharedListLock lock(*this);
    for (const auto& [name, managed] : databases_) {
        out += u"\t" + managed->getDbName() + u"\n";
    }
    return out;
}

void resetUserDefinedDatabases(const UnitDBManager::NamedLoaders& databases) {
    UnitDBManager::changeListAndReload([&databases](UnitDBManager& manager) {
        manager.updateAllExternalUnitDatabases(databases);
    });
}

void registerInternalUnitDatabase(const ustring& name, UnitDBManager::Loader loader) {
    UnitDBManager::changeListAndReload([&](UnitDBManager& manager) {
        manager.registerInternalUnitDatabase(name, std::move(loader));
    });
}

void removeInternalUnitDatabase(const ustring& name) {
    UnitDBManager::changeListAndReload(
        [&name](UnitDBManager& manager) { manager.removeInternalUnitDatabase(name); });
}

std::shared_ptr<UnitSystem> GetUnitSystem(const ustring& name) {
    return UnitDBManager::m_UnitDBManager.getUnitSystem(name);
}

std::vector<std::shared_ptr<UnitSystem>> GetAllUnitSystems() {
    return UnitDBManager::m_UnitDBManager.getAllUnitSystems();
}

std::size_t GetNumExternalUnitDBs() {
    return UnitDBManager::m_UnitDBManager.getNumExternalUnitDBs();
}

} // namespace CvUnitSys
