#include "units/db/UnitDatabase.hpp"

#include "units/db/KeptFirstUnits.hpp"
#include "units/db/SharedDefinitions.hpp"
#include "units/db/SqlDatabaseFileLoader.hpp"
#include "units/db/UnitDatabaseStore.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/host/RhodexUnitsObserver.hpp"
#include "units/model/UnitAliasInfo.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/model/UnitModelLookup.hpp"
#include "units/model/UnitPrefixDealiasing.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/FileSystem.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/AutoComplete.hpp"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace CvUnitSys {

using namespace unitstore;

namespace {

UnitDatabase::Loader& fileLoader() {
    static UnitDatabase::Loader loader = [](UnitDatabase& db) { db.loadFromXMLIntoMemory(); };
    return loader;
}

} // namespace

UnitDatabase::UnitDatabase(const ustring& name, DatabaseSource source)
    : store_(std::make_unique<Store>()), name_(name.empty() ? builtinPath() : name),
      source_(source) {}

UnitDatabase::~UnitDatabase() = default;

std::unique_ptr<UnitDatabase> UnitDatabase::createNewDatabase(const ustring& name,
                                                              DatabaseSource source) {
    return std::make_unique<UnitDatabase>(name, source);
}

const ustring& UnitDatabase::builtinPath() {
    static const ustring path =
        TextServices::fromUtf8(FileSystem::getInstallPath() + "/toolbox/corvane/cv_units/ud");
    return path;
}

namespace {

UnitDatabase& builtinInstance() {
    // Never destroyed: what it hands out stays valid to the very end, and a
    // process that exits need not free a whole database first.
    static UnitDatabase* const instance = new UnitDatabase(u"", DatabaseSource::Builtin);
    return *instance;
}

} // namespace

UnitDatabase* UnitDatabase::getUnitDatabase() {
    UnitDatabase& instance = builtinInstance();
    instance.loadIfNeeded();
    return &instance;
}

bool UnitDatabase::isBuiltinLoaded() {
    return builtinInstance().store_->ready.load(std::memory_order_acquire);
}

UnitDatabase::Loader UnitDatabase::setFileLoader(Loader loader) {
    return std::exchange(fileLoader(), std::move(loader));
}

void UnitDatabase::loadIfNeeded() {
    if (store_->ready.load(std::memory_order_acquire)) {
        return;
    }
    {
        std::lock_guard guard(lock_);
        bool expected = false;
        if (!store_->loaded.compare_exchange_strong(expected, true)) {
            return;
        }
        // Cleared however the load ends.
        struct LoadingMark {
            std::atomic<bool>& loading;
            ~LoadingMark() { loading = false; }
        } mark{store_->loading};
        mark.loading = true;
        if (!isBuiltin()) {
            if (source_ != DatabaseSource::Builtin && fileLoader()) {
                fileLoader()(*this);
            }
            store_->ready.store(true, std::memory_order_release);
            return;
        }
        loadUnitDatabase(name_);
        store_->ready.store(true, std::memory_order_release);
    }
    // After the load lock is released: the observer's set takes the manager's
    // version lock, under which a reload asks for this database.
    getRhodexUnitsObserver().setUnitDatabaseInitialized(true);
}

void UnitDatabase::loadUnitDatabase(const ustring& path) {
    SqlDatabaseFileLoader(*this, path).load();
}

ustring UnitDatabase::calDBFileShortName() const {
    return FileSystem::fileStem(FileSystem::fileStem(name_));
}

ustring UnitDatabase::getDatabaseVersionString() const {
    return store_->version;
}

void UnitDatabase::setDatabaseVersionString(const ustring& version) {
    store_->version = version;
}

void UnitDatabase::addUnitSystem(const UnitSystem& system) {
    auto shared = std::make_shared<UnitSystem>(system);
    store_->unitSystems.push_back(shared);
    store_->unitSystemsByName.emplace(shared->getName(), shared);
}

void UnitDatabase::addUnitProvenance(UnitProvenance&& provenance) {
    ustring id = provenance.getProvenanceId();
    store_->provenances.emplace(std::move(id), std::move(provenance));
}

const UnitBase& UnitDatabase::addUnit(const UnitBase& entity) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT &&
        entity.getUnitType() != UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY) {
        return entity;
    }
    return addUnit(entity.clone());
}

const UnitBase& UnitDatabase::addUnit(std::unique_ptr<UnitBase> entity) {
    // A new entity may change what a name resolves to.
    store_->sharedDefinitions.clear();
    forgetFirstUnits();
    switch (entity->getUnitType()) {
    case UnitBase::UNIT_TYPE_UNIT: {
        const auto [entry, fresh] = store_->units.store(std::move(entity));
        const auto& stored = static_cast<const Unit&>(entry);
        if (fresh) {
            for (const UnitPrefix& prefix : stored.getUnitPrefixes()) {
                store_->unitsByPrefix.emplace(prefix, &stored);
            }
        }
        return stored;
    }
    case UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY:
        return store_->physicalQuantities.store(std::move(entity)).first;
    default:
        throw std::invalid_argument("only units and physical quantities are stored");
    }
}

const UnitPrefix& UnitDatabase::addUnitPrefix(const UnitPrefix& prefix) {
    store_->sharedDefinitions.clear();
    forgetFirstUnits();
    const UnitPrefix& stored = store_->prefixes.store(prefix).first;
    store_->autoComplete.addInformation(stored);
    forgetCompletions();
    return stored;
}

void UnitDatabase::addToAutocomplete(const UnitBase& entity) {
    // Each reload validates the database again, while clients may be reading
    // its index: an entity indexed already is not written again.
    if (!store_->autoComplete.containsUnit(&entity)) {
        store_->autoComplete.addInformation(entity, *this);
        forgetCompletions();
    }
}

const AutoComplete& UnitDatabase::autoComplete() const {
    return store_->autoComplete;
}

void UnitDatabase::appendKeptCompletions(const ustring& key, UnitSet& completions,
                                         const std::function<void(UnitSet&)>& collect) const {
    std::lock_guard guard(store_->completionMutex);
    auto kept = store_->keptCompletions.find(key);
    if (kept == store_->keptCompletions.end()) {
        UnitSet made;
        collect(made);
        kept = store_->keptCompletions.emplace(key, std::move(made)).first;
    }
    if (completions.empty()) {
        completions = kept->second;
    } else {
        completions.insert(kept->second.begin(), kept->second.end());
    }
}

void UnitDatabase::forgetCompletions() {
    std::lock_guard guard(store_->completionMutex);
    store_->keptCompletions.clear();
}

UnitDatabase::UnitSet UnitDatabase::getUnit(const ustring& text) const {
    UnitSet out;
    collectUnits(text, out);
    return out;
}

void UnitDatabase::FirstUnit::insert(const UnitBase& found) {
    if (unit == nullptr) {
        unit = &found;
        return;
    }
    const int order = found.compare(*unit);
    if (order != 0) {
        several = true;
        if (order < 0) {
            unit = &found;
        }
    }
}

bool UnitDatabase::hasOperatorTexts() const {
    return store_->units.operatorTexts || store_->prefixes.operatorTexts;
}

UnitDatabase::FirstUnit UnitDatabase::getFirstUnit(std::u16string_view text) const {
    FirstUnit out;
    if (text.size() > maxRememberedTextLength || store_->loading.load(std::memory_order_relaxed)) {
        collectUnits(text, out);
        return out;
    }
    const KeptFirstUnits::Key key(text);
    if (const FirstUnit* kept = store_->firstUnits.find(key)) {
        return *kept;
    }
    const std::uint64_t generation = store_->firstUnits.generation();
    // Not under the kept answers' lock: the composite cache takes its own.
    collectUnits(text, out);
    out.symbolIsText = out.unit != nullptr && sameText(out.unit->getSymbol(), text) &&
                       sameText(out.unit->getAsciiSymbol(), text);
    store_->firstUnits.keep(key, out, generation);
    return out;
}

std::size_t UnitDatabase::getNumRememberedFirstUnits() const {
    return store_->firstUnits.size();
}

void UnitDatabase::forgetFirstUnits() {
    store_->firstUnits.clear();
}

template <typename Out> void UnitDatabase::collectUnits(std::u16string_view text, Out& out) const {
    store_->units.lookup(text, out);
    // Names combine with names and symbols with symbols, never across. Every
    // prefix key that begins the text is a split point; the prefix keys are
    // few and short, so most texts try none.
    const std::pair<const KeyIndex<UnitPrefix>*, const KeyIndex<UnitBase>*> modes[] = {
        {&store_->prefixes.names, &store_->units.names},
        {&store_->prefixes.symbols, &store_->units.symbols}};
    for (const auto& [prefixKeys, unitKeys] : modes) {
        if (text.size() < 2 || !prefixKeys->mayStartWith(text[0])) {
            continue;
        }
        const std::size_t longest = std::min(prefixKeys->longest, text.size() - 1);
        for (std::size_t length = 1; length <= longest; ++length) {
            if (!prefixKeys->mayHaveLength(length)) {
                continue;
            }
            auto prefix = prefixKeys->find(text.substr(0, length));
            if (prefix == prefixKeys->end()) {
                continue;
            }
            auto unit = unitKeys->find(text.substr(length));
            if (unit == unitKeys->end()) {
                continue;
            }
            const auto& stored = static_cast<const Unit&>(*unit->second);
            if (stored.hasPrefix(*prefix->second)) {
                out.insert(getCompositeUnit(*prefix->second, stored));
            }
        }
    }
}

UnitDatabase::UnitSet UnitDatabase::getUnit(const ustring& text,
                                            const UnitBase& physicalQuantity) const {
    UnitSet all = getUnit(text);
    if (physicalQuantity.compare(UnitFactory::getDefaultPhysicalQuantity()) == 0) {
        return all;
    }
    std::erase_if(all, [&](const UnitBase& unit) {
        const UnitBase* pq = static_cast<const Unit&>(unit).getPhysicalQuantity();
        return !pq || pq->compare(physicalQuantity) != 0;
    });
    return all;
}

template void UnitDatabase::collectUnits(std::u16string_view, UnitSet&) const;

UnitDatabase::UnitSet UnitDatabase::getPhysicalQuantity(const ustring& text) const {
    UnitSet out;
    collectPhysicalQuantities(text, out);
    return out;
}

void UnitDatabase::collectPhysicalQuantities(const ustring& text, UnitSet& out) const {
    store_->physicalQuantities.lookup(text, out);
}

UnitDatabase::PrefixSet UnitDatabase::getUnitPrefix(const ustring& text) const {
    PrefixSet out;
    store_->prefixes.lookup(text, out);
    return out;
}

bool UnitDatabase::hasUnit(const UnitBase& entity) const {
    return store_->units.find(entity) || store_->physicalQuantities.find(entity);
}

bool UnitDatabase::owns(const UnitBase& entity) const {
    if (store_->units.find(entity) == &entity ||
        store_->physicalQuantities.find(entity) == &entity) {
        return true;
    }
    const auto* composite = dynamic_cast<const CompositeUnit*>(&entity);
    if (composite == nullptr) {
        return false;
    }
    std::lock_guard guard(store_->compositeMutex);
    const auto found = store_->composites.find({&composite->getPrefix(), &composite->getUnit()});
    return found != store_->composites.end() && found->second.get() == composite;
}

const UnitDefinition* UnitDatabase::findSharedDefinition(const UnitBase& entity) const {
    return store_->sharedDefinitions.find(entity);
}

void UnitDatabase::findSharedDefinitions(std::span<const UnitBase* const> entities,
                                         std::span<const UnitDefinition*> out) const {
    store_->sharedDefinitions.find(entities, out);
}

const UnitDefinition* UnitDatabase::shareDefinition(const UnitBase& entity,
                                                    const UnitDefinition& definition) const {
    return owns(entity) ? &store_->sharedDefinitions.add(entity, definition) : nullptr;
}

std::size_t UnitDatabase::getNumSharedDefinitions() const {
    return store_->sharedDefinitions.size();
}

std::uint64_t UnitDatabase::getSharedDefinitionsGeneration() const {
    return store_->sharedDefinitions.generation();
}

const CompositeUnit& UnitDatabase::getCompositeUnit(const UnitPrefix& prefix,
                                                    const Unit& unit) const {
    std::lock_guard guard(store_->compositeMutex);
    auto& slot = store_->composites[{&prefix, &unit}];
    if (!slot) {
        slot = std::make_unique<CompositeUnit>(prefix, unit);
    }
    return *slot;
}

UnitDatabase::UnitSet UnitDatabase::getAllUnits() const {
    UnitSet out;
    for (const auto& entry : store_->units.entities) {
        out.insert(*entry.second);
    }
    return out;
}

UnitDatabase::UnitSet UnitDatabase::getAllPhysicalQuantities() const {
    UnitSet out;
    for (const auto& entry : store_->physicalQuantities.entities) {
        out.insert(*entry.second);
    }
    return out;
}

UnitDatabase::PrefixSet UnitDatabase::getAllPrefixes() const {
    PrefixSet out;
    for (const auto& entry : store_->prefixes.entities) {
        out.insert(*entry.second);
    }
    return out;
}

UnitDatabase::UnitSet UnitDatabase::getAllPossibleUnitsInDatabase() const {
    UnitSet out = getAllUnits();
    for (const auto& prefix : store_->prefixes.entities) {
        for (const auto& unit : store_->units.entities) {
            const auto& stored = static_cast<const Unit&>(*unit.second);
            if (stored.hasPrefix(*prefix.second)) {
                out.insert(getCompositeUnit(*prefix.second, stored));
            }
        }
    }
    return out;
}

std::shared_ptr<UnitSystem> UnitDatabase::getUnitSystem(const ustring& name) const {
    auto it = store_->unitSystemsByName.find(name);
    return it == store_->unitSystemsByName.end() ? nullptr : it->second;
}

const std::vector<std::shared_ptr<UnitSystem>>& UnitDatabase::getAllUnitSystems() const {
    return store_->unitSystems;
}

const std::unordered_map<ustring, UnitProvenance>& UnitDatabase::getAllUnitProvenances() const {
    return store_->provenances;
}

const UnitProvenance* UnitDatabase::getUnitProvenance(const ustring& id) const {
    auto it = store_->provenances.find(id);
    return it == store_->provenances.end() ? nullptr : &it->second;
}

std::size_t UnitDatabase::getNumUnits() const {
    return store_->units.entities.size();
}
std::size_t UnitDatabase::getNumPhysicalQuantities() const {
    return store_->physicalQuantities.entities.size();
}
std::size_t UnitDatabase::getNumPrefixes() const {
    return store_->prefixes.entities.size();
}
std::size_t UnitDatabase::getNumUnitSystems() const {
    return store_->unitSystems.size();
}
std::size_t UnitDatabase::getNumUnitProvenances() const {
    return store_->provenances.size();
}

void UnitDatabase::removeUnit(const UnitBase& entity) {
    forgetCompletions();
    store_->sharedDefinitions.clear();
    forgetFirstUnits();
    if (const UnitBase* stored = store_->units.find(entity)) {
        std::erase_if(store_->unitsByPrefix,
                      [stored](const auto& entry) { return entry.second == stored; });
        {
            std::lock_guard guard(store_->compositeMutex);
            std::erase_if(store_->composites,
                          [stored](const auto& entry) { return entry.first.second == stored; });
        }
        store_->units.remove(*stored);
        return;
    }
    store_->physicalQuantities.remove(entity);
}

// Composites point at their prefix and unit, so they go with either.
void UnitDatabase::clearAllUnits() {
    clearAllCompositeUnits();
    store_->unitsByPrefix.clear();
    store_->units.clear();
}

void UnitDatabase::clearAllPhysicalQuantities() {
    store_->sharedDefinitions.clear();
    store_->relations.clear();
    store_->relatedQuantityNames.clear();
    store_->physicalQuantities.clear();
}

void UnitDatabase::clearAllPrefixes() {
    clearAllCompositeUnits();
    store_->prefixes.clear();
}

void UnitDatabase::clearAllUnitSystems() {
    store_->unitSystems.clear();
    store_->unitSystemsByName.clear();
}

void UnitDatabase::clearAllUnitProvenances() {
    store_->provenances.clear();
}

// Every definition that names a unit goes with it: units, prefixes and
// composites are all cleared through here.
void UnitDatabase::clearAllCompositeUnits() {
    store_->sharedDefinitions.clear();
    forgetFirstUnits();
    std::lock_guard guard(store_->compositeMutex);
    store_->composites.clear();
}

void UnitDatabase::clearAll() {
    std::lock_guard guard(lock_);
    store_->ready = false;
    clearAllCompositeUnits();
    clearAllUnits();
    clearAllPhysicalQuantities();
    clearAllPrefixes();
    clearAllUnitSystems();
    clearAllUnitProvenances();
    store_->unitProvenance.rows.clear();
    store_->unitAliasProvenance.rows.clear();
    store_->physicalQuantityProvenance.rows.clear();
    store_->unitPhysicalQuantity.rows.clear();
    getRhodexUnitsObserver().setUnitDatabaseInitialized(false);
    store_->autoComplete.clearAll();
    forgetCompletions();
    store_->version.clear();
    store_->loaded = false;
}

namespace {

// The model asks the built-in database for systems and prefixes by name while
// entities are built; the database loads on the first such question.
const bool builtinLookupsInstalled = [] {
    UnitModelLookup::Hooks hooks = UnitModelLookup::install({});
    hooks.builtInUnitSystem = [](const ustring& name) {
        return UnitDatabase::getUnitDatabase()->getUnitSystem(name);
    };
    hooks.builtInPrefixes = [](const ustring& name) {
        return UnitDatabase::getUnitDatabase()->getUnitPrefix(name);
    };
    UnitModelLookup::install(std::move(hooks));
    return true;
}();

} // namespace

} // namespace CvUnitSys
