#include "units/db/UnitDBSet.hpp"
#include "units/foundation/AddressHash.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/FundamentalUnits.hpp"
#include "units/model/Unit.hpp"

#include <algorithm>
#include <bit>
#include <boost/container/small_vector.hpp>
#include <optional>
#include <shared_mutex>
#include <type_traits>

namespace CvUnitSys {

std::u16string_view UnitDBSet::definitionKey(const UnitBase& entity, ustring& storage) const {
    for (const UserDB& db : databases_) {
        if (db.database->hasUnit(entity)) {
            storage = db.shortName;
            storage += u"::";
            storage += entity.getSymbol();
            return storage;
        }
    }
    return entity.getSymbol();
}

void UnitDBSet::genUnitDefinition(const UnitBase& entity) {
    generateDefinitionOnce(entity, nullptr);
}

void UnitDBSet::genUnitDefinition(const UnitBase& entity, const UnitAST& parts) {
    std::lock_guard definitions(definitionLock_);
    if (!generateRegistered(entity, parts)) {
        generateDefinitionOnce(entity, &parts);
    }
}

namespace {

// The unit's quantity, or null for anything else.
const UnitBase* quantityOf(const UnitBase& entity) {
    return entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT
               ? static_cast<const Unit&>(entity).getPhysicalQuantity()
               : nullptr;
}

const UnitBase* nonDefaultQuantity(const UnitBase& entity) {
    const UnitBase* quantity = quantityOf(entity);
    return quantity != nullptr && !isDefaultQuantity(*quantity) ? quantity : nullptr;
}

std::u16string_view keyText(const ustring& key) {
    return key;
}

std::u16string_view keyText(const UnitDBSet::TemporaryKey& key) {
    return key.text();
}

template <typename Map> auto findNode(const Map& map, std::u16string_view key) {
    const auto found = map.find(key);
    return found == map.end() ? nullptr : &*found;
}

template <typename Map> const UnitDefinition* find(const Map& map, std::u16string_view key) {
    const auto* node = findNode(map, key);
    return node == nullptr ? nullptr : &node->second;
}

} // namespace

const UnitDefinition* UnitDBSet::storedDefinition(const UnitBase& entity,
                                                  std::u16string_view key) const {
    const UnitDefinition* shared = builtin().findSharedDefinition(entity);
    return shared != nullptr ? shared : ownDefinition(entity, key);
}

const UnitDefinition* UnitDBSet::ownDefinition(const UnitBase& entity,
                                               std::u16string_view key) const {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return find(physicalQuantityDefinitions_, key);
    }
    const UnitDefinition* definition = find(unitDefinitions_, key);
    return definition != nullptr ? definition : find(temporaryUnitDefinitions_, key);
}

namespace {

// The slot of an entity among a power of two, by its address.
std::size_t slotByAddress(const UnitBase& entity, std::size_t slots) {
    return static_cast<std::size_t>(addressHash(&entity) >> (64 - std::countr_zero(slots)));
}

} // namespace

UnitDBSet::RecentDefinition* UnitDBSet::recentSlot(const UnitBase& entity) const {
    if (!databases_.empty() || entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return nullptr;
    }
    return &recent_[slotByAddress(entity, kRecentDefinitions)];
}

void UnitDBSet::forgetRecentDefinitions() {
    recent_.fill({});
    settled_.fill({});
}

UnitDBSet::Slot UnitDBSet::slotOf(const UnitBase& entity, ustring& storage, bool notShared) const {
    RecentDefinition* recent = recentSlot(entity);
    const bool hit =
        recent != nullptr && recent->entity == &entity && sameText(recent->key, entity.getSymbol());
    if (hit && recent->temporary) {
        return {recent->key, false, recent->definition};
    }
    // A registered expression's symbol names no unit of any database, so no
    // database has the entity: its definition is neither shared nor kept
    // with theirs, only among the temporary ones, under its symbol.
    if (entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT && !mayNameUnit(entity.getSymbol())) {
        const std::u16string_view key = entity.getSymbol();
        const auto* node = findNode(temporaryUnitDefinitions_, key);
        if (node == nullptr) {
            return {key, false, nullptr};
        }
        if (recent != nullptr) {
            *recent = {&entity, node->first.text(), &node->second, true};
        }
        return {key, false, &node->second};
    }
    // Shared definitions are found by the entity alone: no key to make.
    if (const UnitDefinition* shared =
            notShared ? nullptr : builtin().findSharedDefinition(entity)) {
        return {{}, false, shared};
    }
    if (hit) {
        return {recent->key, false, recent->definition};
    }
    const std::u16string_view key = definitionKey(entity, storage);
    if (recent == nullptr) {
        return {key, !storage.empty(), ownDefinition(entity, key)};
    }
    if (const auto* node = findNode(unitDefinitions_, key)) {
        *recent = {&entity, node->first, &node->second, false};
        return {key, false, &node->second};
    }
    const auto* node = findNode(temporaryUnitDefinitions_, key);
    if (node == nullptr) {
        return {key, false, nullptr};
    }
    *recent = {&entity, node->first.text(), &node->second, true};
    return {key, false, &node->second};
}

const UnitDefinition* UnitDBSet::storedDefinition(const UnitBase& entity) const {
    ustring storage;
    return slotOf(entity, storage).stored;
}

UnitDBSet::SettledPart& UnitDBSet::settledSlot(const UnitBase& entity) {
    return settled_[slotByAddress(entity, kSettledParts)];
}

namespace {

// Longer products take the general generation.
constexpr std::size_t kMaxSettledParts = 8;

// Makes the definition where the map's node is made, once the map found no
// node under the key: the key is hashed once.
struct Generation {
    const UnitBase& entity;
    const UnitAST& parts;
    UnitDBSet* set;
    std::span<const UnitDefinition* const> known;
    UnitASTPool* pool;
    operator UnitDefinition() const { // NOLINT(google-explicit-constructor): built in place
        return UnitDefinition::generateDefinition(entity, parts, set, known, pool);
    }
};

} // namespace

bool UnitDBSet::generateRegistered(const UnitBase& entity, const UnitAST& parts) {
    if (memo_ != nullptr || walking_ || !inProgress_.empty() ||
        entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT ||
        parts.getAST().size() > kMaxSettledParts) {
        return false;
    }
    const UnitBase* quantity = static_cast<const Unit&>(entity).getPhysicalQuantity();
    // A symbol that holds an operator is no fundamental key either.
    static const bool fundamentalKeysPlain =
        std::none_of(FundamentalUnits::get().getUnitDefinitions().begin(),
                     FundamentalUnits::get().getUnitDefinitions().end(),
                     [](const auto& entry) { return UnitDatabase::holdsOperator(entry.first); });
    const std::u16string_view symbol = entity.getSymbol();
    // The symbol is no database's key and no fundamental one, so the
    // definition is made from the parts and kept among the temporary ones.
    if ((quantity != nullptr && quantity != &defaultQuantity()) || mayNameUnit(symbol) ||
        !fundamentalKeysPlain) {
        return false;
    }
    if (const std::uint64_t generation = builtin().getSharedDefinitionsGeneration();
        generation != settledGeneration_) {
        settled_.fill({});
        settledGeneration_ = generation;
    }
    // The parts not settled yet, each with its own quantity unless that is
    // settled: all looked for among the shared definitions under one lock.
    std::array<const UnitDefinition*, kMaxSettledParts> known;
    std::array<const UnitBase*, 2 * kMaxSettledParts> asked;
    std::array<std::size_t, kMaxSettledParts> askedFor;
    std::size_t count = 0;
    std::size_t asking = 0;
    for (const auto& [part, exponent] : parts.getAST()) {
        if (const SettledPart& slot = settledSlot(part); slot.entity == &part.get()) {
            known[count++] = slot.definition;
            continue;
        }
        // The default quantity is never asked for; a settled quantity is not
        // that one, and its symbol, which tells, is not read.
        const UnitBase* own = quantityOf(part);
        askedFor[asking / 2] = count++;
        asked[asking++] = &part.get();
        asked[asking++] =
            own != nullptr && settledSlot(*own).entity != own && !isDefaultQuantity(*own) ? own
                                                                                          : nullptr;
    }
    if (asking > 0) {
        std::array<const UnitDefinition*, 2 * kMaxSettledParts> found;
        builtin().findSharedDefinitions({asked.data(), asking}, {found.data(), asking});
        ustring storage;
        const auto made = [&](std::size_t i) {
            const UnitDefinition* definition =
                found[i] != nullptr ? found[i] : slotOf(*asked[i], storage, true).stored;
            if (definition != nullptr) {
                settledSlot(*asked[i]) = {asked[i], definition};
            }
            return definition;
        };
        for (std::size_t i = 0; i < asking; i += 2) {
            // A part is settled only once its quantity is.
            if (asked[i + 1] != nullptr && made(i + 1) == nullptr) {
                return false;
            }
            known[askedFor[i / 2]] = made(i);
            if (known[askedFor[i / 2]] == nullptr) {
                return false;
            }
        }
    }
    // Nothing is made when another entity of the symbol has its definition.
    const auto stored =
        temporaryUnitDefinitions_
            .try_emplace(TemporaryKey{entity.getTexts()},
                         Generation{entity, parts, this, {known.data(), count}, &fundamentalASTs_})
            .first;
    if (RecentDefinition* recent = recentSlot(entity)) {
        *recent = {&entity, stored->first.text(), &stored->second, true};
    }
    return true;
}

// Beside the generation, whose recent slot it reads.
void UnitDBSet::addWhitelistedUnits(const UnitBase& entity, const UnitAST& parts) {
    // The key of the entity's temporary definition may hold its texts; it does
    // when the entity's last generation stored them there.
    const RecentDefinition* recent = recentSlot(entity);
    const bool held = recent != nullptr && recent->entity == &entity && recent->temporary &&
                      recent->key.data() == entity.getSymbol().data();
    whitelist_.addSuggestions(entity, parts, held);
}

const UnitDefinition* UnitDBSet::generateDefinitionOnce(const UnitBase& entity,
                                                        const UnitAST* parts) {
    std::lock_guard definitions(definitionLock_);
    // A registered text usually names units whose definitions are made
    // already, mostly the built-in database's, which are shared: the entity,
    // each part and each part's quantity are asked for under one lock.
    const bool asking = parts != nullptr && memo_ == nullptr && !walking_;
    boost::container::small_vector<const UnitBase*, 9> asked;
    boost::container::small_vector<const UnitDefinition*, 9> shared;
    if (asking) {
        asked.push_back(&entity);
        for (const auto& [part, exponent] : parts->getAST()) {
            asked.push_back(&part.get());
            asked.push_back(nonDefaultQuantity(part));
        }
        shared.resize(asked.size());
        builtin().findSharedDefinitions({asked.data(), asked.size()},
                                        {shared.data(), shared.size()});
    }
    // Nearly every request is for a definition made already: no walk for those.
    ustring storage;
    const Slot slot = !asking                ? slotOf(entity, storage)
                      : shared[0] != nullptr ? Slot{{}, false, shared[0]}
                                             : slotOf(entity, storage, true);
    if (slot.stored != nullptr) {
        const UnitBase* quantity = nonDefaultQuantity(entity);
        if (quantity == nullptr || storedDefinition(*quantity) != nullptr) {
            return slot.stored;
        }
    }
    // A unit copied from a database is defined as its original, whose
    // definition is usually shared already: no parse of its expression, no walk.
    if (parts == nullptr && slot.stored == nullptr && !slot.qualified && !walking_ &&
        memo_ == nullptr && entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT && !slot.key.empty() &&
        slot.key != Unit::UnitInheritUStr) {
        const UnitBase* original = findFirstUnit(entity.getSymbol());
        if (original != nullptr && original != &entity && original->compare(entity) == 0) {
            if (const UnitDefinition* definition = generateDefinitionOnce(*original, nullptr)) {
                const Slot copied{
                    slot.key, false,
                    &unitDefinitions_.try_emplace(ustring(slot.key), *definition).first->second};
                return generateOne(entity, nullptr, {}, &copied);
            }
        }
    }
    // With every part's definition made there is nothing to walk before the
    // entity, and the definitions found serve the generation.
    boost::container::small_vector<const UnitDefinition*, 4> known;
    const auto ownStored = [this](const UnitBase& part) {
        ustring partStorage;
        return slotOf(part, partStorage, true).stored;
    };
    const auto partsKnown = [&] {
        if (!asking) {
            return false;
        }
        for (std::size_t i = 1; i < asked.size(); i += 2) {
            const UnitDefinition* definition =
                shared[i] != nullptr ? shared[i] : ownStored(*asked[i]);
            if (definition == nullptr || (asked[i + 1] != nullptr && shared[i + 1] == nullptr &&
                                          ownStored(*asked[i + 1]) == nullptr)) {
                known.clear();
                return false;
            }
            known.push_back(definition);
        }
        return true;
    };
    if (!walking_ && !partsKnown()) {
        generateDependencies(entity, parts);
        return generateOne(entity, parts);
    }
    return generateOne(entity, parts, {known.data(), known.size()}, &slot);
}

void UnitDBSet::generateDependencies(const UnitBase& root, const UnitAST* rootParts) {
    struct Frame {
        const UnitBase* entity;
        // Whether the entity's own definition is generated here (and the
        // entity is in progress), or only its quantity's.
        bool own;
        // The caller's parts of the root, or the parts looked up here.
        const UnitAST* given;
        std::optional<UnitAST> found;
        std::vector<const UnitBase*> next;
        std::size_t done = 0;
        const UnitAST* parts() const { return found ? &*found : given; }
    };
    std::vector<Frame> stack;
    struct Walk {
        UnitDBSet& set;
        std::vector<Frame>& stack;
        ~Walk() {
            set.walking_ = false;
            for (const Frame& frame : stack) {
                if (frame.own) {
                    set.inProgress_.erase(*frame.entity);
                }
            }
        }
    } walk{*this, stack};
    walking_ = true;

    const UnitBase* current = nullptr;
    const UnitBase* cycleEntity = nullptr;
    ustring cycleSymbol;
    const auto ownMissing = [&](const UnitBase& entity) {
        ustring storage;
        const std::u16string_view key = definitionKey(entity, storage);
        if (entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT &&
            (key.empty() || key == Unit::UnitInheritUStr)) {
            return false;
        }
        return storedDefinition(entity, key) == nullptr;
    };
    const auto enter = [&](const UnitBase& entity, const UnitAST* given) {
        current = &entity;
        Frame frame{&entity, ownMissing(entity), nullptr, std::nullopt, {}};
        const UnitBase* quantity = nonDefaultQuantity(entity);
        if (quantity != nullptr && !ownMissing(*quantity)) {
            quantity = nullptr;
        }
        if (!frame.own && quantity == nullptr) {
            current = nullptr;
            return;
        }
        if (memo_ != nullptr) {
            if (const auto found = memo_->failures.find(&entity); found != memo_->failures.end()) {
                const ValidationMemo::Failure& failure = found->second;
                cycleEntity = failure.cycleEntity;
                cycleSymbol = failure.cycleSymbol;
                if (cycleEntity == nullptr) {
                    std::rethrow_exception(failure.error);
                }
                // Once a validation removed the cycle's entity, the units that
                // led to it refer to a unit that is not there.
                throwUnitMsg(memo_->removed.contains(cycleEntity) ? "UnitNotInDatabase"
                                                                  : "CycleInAST",
                             {cycleSymbol});
            }
        }
        if (frame.own) {
            if (inProgress_.contains(entity)) {
                cycleEntity = &entity;
                cycleSymbol = entity.getSymbol();
                throwUnitMsg("CycleInAST", {ustring(entity.getSymbol())});
            }
            UnitSet fundamentals;
            UnitDatabase::addMatchingFundamentalUnitToList(entity, fundamentals);
            if (fundamentals.empty()) {
                if (given != nullptr) {
                    frame.given = given;
                } else {
                    frame.found = UnitDefinition::partsOf(entity, this);
                }
                for (const auto& [part, exponent] : frame.parts()->getAST()) {
                    frame.next.push_back(&part.get());
                }
            }
        }
        if (quantity != nullptr) {
            frame.next.push_back(quantity);
        }
        if (frame.own) {
            inProgress_.insert(entity);
        }
        stack.push_back(std::move(frame));
        current = nullptr;
    };

    try {
        enter(root, rootParts);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.done < top.next.size()) {
                enter(*top.next[top.done++], nullptr);
                continue;
            }
            Frame finished = std::move(top);
            stack.pop_back();
            if (finished.own) {
                inProgress_.erase(*finished.entity);
            }
            current = finished.entity;
            generateOne(*finished.entity, finished.parts());
            current = nullptr;
            if (memo_ != nullptr && finished.parts() != nullptr) {
                const ustring key = getQualifiedSymbolForCustomUnit(*finished.entity);
                for (const auto& [part, exponent] : finished.parts()->getAST()) {
                    memo_->users[&part.get()].push_back({finished.entity, key});
                }
            }
        }
    } catch (...) {
        if (memo_ != nullptr) {
            // Everything on the way to the failure fails with it.
            const ValidationMemo::Failure failure{std::current_exception(), cycleEntity,
                                                  cycleSymbol};
            for (const Frame& frame : stack) {
                memo_->failures.try_emplace(frame.entity, failure);
            }
            if (current != nullptr) {
                memo_->failures.try_emplace(current, failure);
            }
        }
        throw;
    }
}

const UnitDefinition* UnitDBSet::generateOne(const UnitBase& entity, const UnitAST* parts,
                                             std::span<const UnitDefinition* const> known,
                                             const Slot* slot) {
    ustring storage;
    const Slot own = slot != nullptr ? *slot : slotOf(entity, storage);
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return own.stored != nullptr
                   ? own.stored
                   : &generateInto(physicalQuantityDefinitions_, own.key, entity, parts, known);
    }
    // A stored definition skips the look-up that decides between the two maps.
    const UnitDefinition* definition = own.stored;
    if (definition == nullptr && !own.key.empty() && own.key != Unit::UnitInheritUStr) {
        // The symbol of a registered expression is no database's key: no look-up.
        const UnitBase* inDatabase = own.qualified ? findFirstUnit(own.key)
                                     : mayNameUnit(entity.getSymbol())
                                         ? findFirstUnit(entity.getSymbol())
                                         : nullptr;
        definition = inDatabase == nullptr
                         ? &generateInto(temporaryUnitDefinitions_, own.key, entity, parts, known)
                         : &generateInto(unitDefinitions_, own.key, entity, parts, known);
    }
    const UnitBase* quantity = static_cast<const Unit&>(entity).getPhysicalQuantity();
    if (quantity != nullptr && !isDefaultQuantity(*quantity)) {
        genUnitDefinition(*quantity);
    }
    return definition;
}

namespace {

ustring storedKey(const UnitDBSet::DefinitionMap&, std::u16string_view key, const UnitBase&) {
    return ustring(key);
}

// The entity's own texts when the key is its symbol; a qualified key gets
// texts of its own.
UnitDBSet::TemporaryKey storedKey(const UnitDBSet::TemporaryDefinitionMap&, std::u16string_view key,
                                  const UnitBase& entity) {
    if (key.data() == entity.getSymbol().data() && key.size() == entity.getSymbol().size()) {
        return {entity.getTexts()};
    }
    return {UnitTexts(ustring(), ustring(key), ustring(), ustring(), ustring())};
}

} // namespace

template <typename Map>
const UnitDefinition& UnitDBSet::generateInto(Map& map, std::u16string_view key,
                                              const UnitBase& entity, const UnitAST* parts,
                                              std::span<const UnitDefinition* const> known) {
    if (inProgress_.contains(entity)) {
        throwUnitMsg("CycleInAST", {ustring(entity.getSymbol())});
    }
    struct InProgress {
        decltype(inProgress_)& set;
        std::optional<decltype(inProgress_)::iterator> it;
        ~InProgress() {
            if (it) {
                set.erase(*it);
            }
        }
    } guard{inProgress_, std::nullopt};
    // Generating from parts whose definitions are given asks the set for
    // nothing, so it cannot come back here.
    if (known.empty()) {
        guard.it = inProgress_.insert(entity).first;
    }

    UnitSet fundamentals;
    UnitDatabase::addMatchingFundamentalUnitToList(entity, fundamentals);
    if (!fundamentals.empty()) {
        return map
            .try_emplace(storedKey(map, key, entity), getUnitDefinition(*fundamentals.begin()))
            .first->second;
    }
    constexpr bool temporary = std::is_same_v<Map, TemporaryDefinitionMap>;
    // Made from the built-in database alone, a definition may serve every
    // set; it is not pooled here, since the shared definitions pool their own.
    const bool mayShare = databases_.empty() && !temporary;
    UnitASTPool* pool = mayShare ? nullptr : &fundamentalASTs_;
    UnitDefinition generated =
        parts != nullptr ? UnitDefinition::generateDefinition(entity, *parts, this, known, pool)
                         : UnitDefinition::generateDefinition(
                               entity, UnitDefinition::partsOf(entity, this), this, {}, pool);
    if (mayShare) {
        if (const UnitDefinition* shared = builtin().shareDefinition(entity, generated)) {
            return *shared;
        }
        generated.compact(fundamentalASTs_);
    }
    const auto stored = map.try_emplace(storedKey(map, key, entity), std::move(generated)).first;
    if (RecentDefinition* recent = static_cast<const void*>(&map) != &physicalQuantityDefinitions_
                                       ? recentSlot(entity)
                                       : nullptr) {
        *recent = {&entity, keyText(stored->first), &stored->second, temporary};
    }
    return stored->second;
}

const UnitDefinition& UnitDBSet::getUnitDefinition(const UnitBase& entity) const {
    if (const UnitDefinition* shared = builtin().findSharedDefinition(entity)) {
        return *shared;
    }
    ustring storage;
    const std::u16string_view key = definitionKey(entity, storage);
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        const UnitDefinition* definition = find(physicalQuantityDefinitions_, key);
        return definition != nullptr ? *definition : physicalQuantityDefinitions_.at(ustring(key));
    }
    const UnitDefinition* definition = find(unitDefinitions_, key);
    if (definition == nullptr) {
        definition = find(temporaryUnitDefinitions_, key);
    }
    // A missing key gets the checked look-up's own error.
    return definition != nullptr ? *definition : unitDefinitions_.at(ustring(key));
}

const UnitDefinition& UnitDBSet::definitionOf(const UnitBase& entity) {
    const UnitDefinition* definition = generateDefinitionOnce(entity, nullptr);
    return definition != nullptr ? *definition : getUnitDefinition(entity);
}

void UnitDBSet::clearTemporaryUnitDefinitions() {
    forgetRecentDefinitions();
    temporaryUnitDefinitions_.clear();
    whitelist_.releaseHeld();
    temporaryNodes_.release();
    fundamentalASTs_.clear();
    unresolvedSymbols_.clear();
    ambiguousSymbols_.clear();
    retained_.clear();
}

} // namespace CvUnitSys
