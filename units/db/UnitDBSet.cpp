#include "units/db/UnitDBSet.hpp"

#include "units/foundation/UnitMsgID.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/Unit.hpp"

#include <algorithm>
#include <shared_mutex>

namespace CvUnitSys {

namespace {

UnitDBManager& manager() {
    return UnitDBManager::m_UnitDBManager;
}

} // namespace

// A user database that names no unit system is known by its file's stem.
ustring UnitDBSet::getShortName(const UnitDatabase& database) {
    return database.getUnitSystemName().empty() ? database.calDBFileShortName()
                                                : database.getUnitSystemName();
}

UnitDBSet::UnitDBSet() = default;

UnitDBSet::~UnitDBSet() = default;

void UnitDBSet::initializeIfNeeded() {
    // Every registration asks; nearly always the set is up to date.
    if (built_.load(std::memory_order_acquire) ==
            builtMark(manager().setVersion_.load(std::memory_order_acquire)) &&
        UnitDatabase::isBuiltinLoaded()) {
        return;
    }
    // The set's own locks come before any of the manager's.
    std::lock_guard initialization(initializationLock_);
    std::lock_guard definitions(definitionLock_);
    // Loaded before the version lock: a first load tells the units observer,
    // which may initialise its own set, and that set takes the version lock.
    UnitDatabase::getBuiltinDatabase();
    // Held until the set is built: a reload holds it exclusively from the
    // version's increment to the end of its validation, so a rebuild sees the
    // databases either before that validation or after it.
    std::shared_lock version(manager().versionLock_);
    initializeLocked(manager().setVersion_);
}

bool UnitDBSet::isInitialized() const {
    return !unitDefinitions_.empty() && version_ == manager().getUnitDBSetVersion();
}

void UnitDBSet::initializeLocked(std::uint32_t version) {
    if (!unitDefinitions_.empty() && version_ == version) {
        return;
    }
    built_.store(0, std::memory_order_relaxed);
    forgetRecentDefinitions();
    unitDefinitions_.clear();
    physicalQuantityDefinitions_.clear();
    fundamentalASTs_.clear();
    // Pending registrations may name entities of the user databases dropped below.
    if (!databases_.empty()) {
        whitelist_.settle();
    }
    if (!temporaryUnitDefinitions_.empty()) {
        retained_.insert(retained_.end(), databases_.begin(), databases_.end());
    }
    builtin_ = UnitDatabase::getBuiltinDatabase();
    databases_.clear();
    for (auto& managed : manager().snapshot()) {
        UnitDatabase* database = &**managed;
        databases_.push_back({std::move(managed), database, getShortName(*database)});
    }
    resetDefinitions();
    manager().cacheUnitSystems();
    version_ = version;
    built_.store(builtMark(version), std::memory_order_release);
}

void UnitDBSet::resetDefinitions() {
    const auto& units = UnitDatabase::getFundamentalUnitsDefinitions();
    const auto& quantities = UnitDatabase::getFundamentalPhysicalQuantitiesDefinitions();
    forgetRecentDefinitions();
    unitDefinitions_ = DefinitionMap(units.begin(), units.end(), units.bucket_count());
    physicalQuantityDefinitions_ =
        DefinitionMap(quantities.begin(), quantities.end(), quantities.bucket_count());
}

const UnitDatabase& UnitDBSet::builtin() const {
    return builtin_ != nullptr ? *builtin_ : *UnitDatabase::getBuiltinDatabase();
}

namespace {

bool nothing(const UnitDBSet::UnitSet& found) {
    return found.empty();
}

bool nothing(const UnitDatabase::FirstUnit& found) {
    return found.unit == nullptr;
}

} // namespace

template <typename Lookup> auto UnitDBSet::resolve(std::u16string_view name, Lookup lookup) const {
    std::u16string_view qualifier;
    std::u16string_view symbol = name;
    if (const auto colons = name.find(u"::"); colons != std::u16string_view::npos) {
        qualifier = name.substr(0, colons);
        symbol = name.substr(colons + 2);
    }
    // The built-in database answers whatever the qualifier says.
    auto found = lookup(builtin(), symbol);
    for (const UserDB& db : databases_) {
        if (!nothing(found)) {
            break;
        }
        if (qualifier.empty() || qualifier == db.shortName) {
            found = lookup(*db.database, symbol);
        }
    }
    return found;
}

UnitDBSet::UnitSet UnitDBSet::findUnit(const ustring& name) const {
    // An unqualified name is looked up as it is, uncopied.
    return resolve(name, [&name](const UnitDatabase& db, std::u16string_view s) {
        // The kept first unit spares the full look-up when it is the only one.
        const UnitDatabase::FirstUnit first = db.getFirstUnit(s);
        if (first.several) {
            return s.size() == name.size() ? db.getUnit(name) : db.getUnit(ustring(s));
        }
        UnitSet out;
        if (first.unit != nullptr) {
            out.insert(*first.unit);
        }
        return out;
    });
}

bool UnitDBSet::mayNameUnit(std::u16string_view text) const {
    return !UnitDatabase::holdsOperator(text) || builtin().hasOperatorTexts() ||
           std::any_of(databases_.begin(), databases_.end(),
                       [](const UserDB& db) { return db.database->hasOperatorTexts(); });
}

const UnitBase* UnitDBSet::findFirstUnit(std::u16string_view name) const {
    return resolve(name,
                   [](const UnitDatabase& db, std::u16string_view s) { return db.getFirstUnit(s); })
        .unit;
}

UnitDBSet::UnitSet UnitDBSet::findPhysicalQuantity(const ustring& name) const {
    // An unqualified name is looked up as it is, uncopied.
    return resolve(name, [&name](const UnitDatabase& db, std::u16string_view s) {
        return s.size() == name.size() ? db.getPhysicalQuantity(name)
                                       : db.getPhysicalQuantity(ustring(s));
    });
}

const UnitBase& UnitDBSet::getUnit(const ustring& name) const {
    const UnitBase* found = findFirstUnit(name);
    if (found == nullptr) {
        throwUnitMsg("UnitNotInDatabase", {name});
    }
    return *found;
}

const UnitBase& UnitDBSet::getPhysicalQuantity(const ustring& name) const {
    const UnitSet found = findPhysicalQuantity(name);
    if (found.empty()) {
        throwUnitMsg("PhysicalQuantityNotInDatabase", {name});
    }
    return *found.begin();
}

const UnitBase* UnitDBSet::findUnitOf(const ustring& name, const UnitBase& quantity) const {
    const UnitBase* found = findFirstUnit(name);
    if (found == nullptr || isDefaultQuantity(quantity)) {
        return found;
    }
    const auto* unit = dynamic_cast<const Unit*>(found);
    return unit != nullptr && unit->getPhysicalQuantity() != nullptr &&
                   unit->getPhysicalQuantity()->compare(quantity) == 0
               ? found
               : nullptr;
}

bool UnitDBSet::hasPhysicalQuantity(const ustring& name) const {
    return !findPhysicalQuantity(name).empty();
}

ustring UnitDBSet::getDefiningDatabaseName(const ustring& name) const {
    if (!builtin().getUnit(name).empty()) {
        return builtin().getName();
    }
    for (const UserDB& db : databases_) {
        if (!db.database->getUnit(name).empty()) {
            return db.database->getName();
        }
    }
    return {};
}

const UnitDatabase* UnitDBSet::getDB(const ustring& name) const {
    for (const UserDB& db : databases_) {
        if (db.database->getName() == name) {
            return db.database;
        }
    }
    return nullptr;
}

namespace {

template <typename Set, typename Db, typename Users, typename Part>
Set gatherAll(const Db& builtin, const Users& users, Part part) {
    Set out = part(builtin);
    for (const auto& db : users) {
        out.merge(part(*db.database));
    }
    return out;
}

} // namespace

UnitDBSet::UnitSet UnitDBSet::getAllUnits() const {
    return gatherAll<UnitSet>(builtin(), databases_, [](const UnitDatabase& db) {
        return db.getAllPossibleUnitsInDatabase();
    });
}

UnitDBSet::PrefixSet UnitDBSet::getAllPrefixes() const {
    return gatherAll<PrefixSet>(builtin(), databases_,
                                [](const UnitDatabase& db) { return db.getAllPrefixes(); });
}

UnitDBSet::UnitSet UnitDBSet::getAllPhysicalQuantities() const {
    return gatherAll<UnitSet>(builtin(), databases_,
                              [](const UnitDatabase& db) { return db.getAllPhysicalQuantities(); });
}

UnitDBSet::ProvenanceMap UnitDBSet::getAllUnitProvenances() const {
    ProvenanceMap out(builtin().getAllUnitProvenances());
    for (const UserDB& db : databases_) {
        for (const auto& [id, provenance] : db.database->getAllUnitProvenances()) {
            out.try_emplace(id, provenance);
        }
    }
    return out;
}

UnitDBSet::ProvenanceList UnitDBSet::getProvenancesForUnit(const ustring& name) const {
    ProvenanceList out = builtin().getProvenancesForUnit(name);
    for (const UserDB& db : databases_) {
        const ProvenanceList own = db.database->getProvenancesForUnit(name);
        out.insert(out.end(), own.begin(), own.end());
    }
    return out;
}

UnitDBSet::ProvenanceList UnitDBSet::getProvenancesForPhysicalQuantity(const ustring& name) const {
    ProvenanceList out = builtin().getProvenancesForPhysicalQuantity(name);
    for (const UserDB& db : databases_) {
        const ProvenanceList own = db.database->getProvenancesForPhysicalQuantity(name);
        out.insert(out.end(), own.begin(), own.end());
    }
    return out;
}

std::vector<ustring> UnitDBSet::getAllUnitsFromUnitAndPhysicalQuantityMap() const {
    std::vector<ustring> out = builtin().getAllUnitsFromUnitAndPhysicalQuantityMap();
    for (const UserDB& db : databases_) {
        const auto own = db.database->getAllUnitsFromUnitAndPhysicalQuantityMap();
        out.insert(out.end(), own.begin(), own.end());
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

void UnitDBSet::setUnresolved(const UnitBase& entity) {
    unresolvedSymbols_.emplace(entity.getSymbol());
}

bool UnitDBSet::isUnresolved(const UnitBase& entity) const {
    // Asked twice for every pair; most sets hold none, and then nothing is hashed.
    return !unresolvedSymbols_.empty() && unresolvedSymbols_.contains(entity.getSymbol());
}

void UnitDBSet::setAmbiguous(const UnitBase& entity) {
    ambiguousSymbols_.emplace(entity.getSymbol());
}

bool UnitDBSet::isAmbiguous(const UnitBase& entity) const {
    return ambiguousSymbols_.contains(entity.getSymbol());
}

ustring UnitDBSet::getQualifiedSymbolForCustomUnit(const UnitBase& entity) const {
    ustring storage;
    return ustring(definitionKey(entity, storage));
}

} // namespace CvUnitSys
