#pragma once

// The storage behind UnitDatabase: its entity stores, key indexes and relation
// tables, shared by the files that implement the database.

#include "units/db/KeptFirstUnits.hpp"
#include "units/db/SharedDefinitions.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitPrefixDealiasing.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/query/AutoComplete.hpp"

#include <algorithm>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace CvUnitSys {

namespace unitstore {

inline void warn(std::string_view key, std::vector<MsgArg> args = {}) {
    cvsvReportAsWarning(cvsvCreateDiagnosticFromMessageID(makeUnitMsgID(key, std::move(args))));
}

// Keys to entities. A key views the text of the entity it leads to, which the
// store owns and removes only after its keys. It also knows the key lengths and
// which code units keys start with, so that splitting a text into a prefix and
// a unit tries only the split points that can match.
template <typename T>
struct KeyIndex : std::unordered_map<std::u16string_view, const T*, TextKeyHash, std::equal_to<>> {
    void add(std::u16string_view key, const T* entity) {
        this->emplace(key, entity);
        longest = std::max(longest, key.size());
        if (key.size() < lengths.size()) {
            lengths.set(key.size());
        } else {
            longKeys = true;
        }
        if (static_cast<std::size_t>(key[0]) < firstUnits.size()) {
            firstUnits.set(key[0]);
        } else {
            nonAsciiFirstUnits = true;
        }
    }
    bool mayHaveLength(std::size_t length) const {
        return length < lengths.size() ? lengths.test(length) : longKeys;
    }
    bool mayStartWith(char16_t c) const {
        return static_cast<std::size_t>(c) < firstUnits.size() ? firstUnits.test(c)
                                                               : nonAsciiFirstUnits;
    }
    void clear() {
        std::unordered_map<std::u16string_view, const T*, TextKeyHash, std::equal_to<>>::clear();
        longest = 0;
        lengths.reset();
        longKeys = false;
        firstUnits.reset();
        nonAsciiFirstUnits = false;
    }

    std::size_t longest = 0;
    std::bitset<16> lengths;
    bool longKeys = false;
    std::bitset<128> firstUnits;
    bool nonAsciiFirstUnits = false;
};

// Entities of one kind: the owning set ordered by the kind's comparator, and
// the name and symbol indexes into it (symbols and ASCII symbols share one).
template <typename T, typename Comparator> struct EntityStore {
    KeyIndex<T> names;
    KeyIndex<T> symbols;
    std::map<std::reference_wrapper<const T>, std::unique_ptr<T>, Comparator> entities;
    // Whether a name or symbol of an entity stored holds an operator, indexed
    // or not. Cleared only with the entities: a removal may leave it set, which
    // costs a look-up, never an answer.
    bool operatorTexts = false;

    // The stored entity, and whether this call stored it.
    std::pair<const T&, bool> store(const T& entity) {
        return store(entity, [&entity] { return entity.clone(); });
    }
    std::pair<const T&, bool> store(std::unique_ptr<T> entity) {
        const T& given = *entity;
        return store(given, [&entity] { return std::move(entity); });
    }

    // `own` gives the object to keep, once `entity` proved new.
    template <typename Own> std::pair<const T&, bool> store(const T& entity, Own&& own) {
        // One walk finds the entity or where it goes: comparing entities is most of a load.
        const auto place = entities.lower_bound(entity);
        if (place != entities.end() && !entities.key_comp()(entity, place->first)) {
            warn("UnitAlreadyInDatabase", {ustring(entity.getName()), ustring(entity.getSymbol())});
            return {*place->second, false};
        }
        std::unique_ptr<T> owned = own();
        const T& stored = *owned;
        entities.emplace_hint(place, stored, std::move(owned));
        // Before the keys, which a clash leaves out while the entity stays.
        operatorTexts = operatorTexts || UnitDatabase::holdsOperator(stored.getName()) ||
                        UnitDatabase::holdsOperator(stored.getSymbol()) ||
                        UnitDatabase::holdsOperator(stored.getAsciiSymbol());

        // Only aliases carry alias facts: the cross-cast is asked of them alone.
        const auto* alias =
            stored.isAliased() ? dynamic_cast<const UnitAliasInfo*>(&stored) : nullptr;
        const bool indexName = !alias || !alias->nameMatchesRef();
        const bool indexSymbol = !alias || !alias->symbolMatchesRef();
        const bool indexAscii = !alias || (!alias->asciiSymbolMatchesRef() &&
                                           stored.getAsciiSymbol() != stored.getSymbol());
        const bool clash = (indexName && names.contains(stored.getName())) ||
                           (indexSymbol && symbols.contains(stored.getSymbol())) ||
                           (indexAscii && symbols.contains(stored.getAsciiSymbol()));
        if (clash) {
            throwUnitMsg("SimilarInstanceThere",
                         {ustring(stored.getName()), ustring(stored.getSymbol()),
                          ustring(stored.getAsciiSymbol())});
        }
        index(names, indexName, stored.getName(), stored, alias, "NameNotDefined");
        index(symbols, indexSymbol, stored.getSymbol(), stored, alias, "SymbolNotDefined");
        index(symbols, indexAscii, stored.getAsciiSymbol(), stored, alias, "ASCIISymbolNotDefined");
        return {stored, true};
    }

    static void index(KeyIndex<T>& keys, bool selected, std::u16string_view key, const T& stored,
                      const UnitAliasInfo* alias, std::string_view missing) {
        if (!selected) {
            return;
        }
        if (key.empty()) {
            if (!alias) {
                warn(missing);
            }
            return;
        }
        keys.add(key, &stored);
    }

    static void unindex(KeyIndex<T>& keys, std::u16string_view key, const T* stored) {
        if (auto it = keys.find(key); it != keys.end() && it->second == stored) {
            keys.erase(it);
        }
    }

    // The stored entity equal to `entity`, or null.
    const T* find(const T& entity) const {
        auto it = entities.find(entity);
        return it == entities.end() ? nullptr : it->second.get();
    }

    void remove(const T& entity) {
        auto it = entities.find(entity);
        if (it == entities.end()) {
            return;
        }
        const T* stored = it->second.get();
        unindex(names, stored->getName(), stored);
        unindex(symbols, stored->getSymbol(), stored);
        unindex(symbols, stored->getAsciiSymbol(), stored);
        entities.erase(it);
    }

    template <typename Set> void lookup(std::u16string_view text, Set& out) const {
        if (auto it = names.find(text); it != names.end()) {
            out.insert(*it->second);
        }
        if (auto it = symbols.find(text); it != symbols.end()) {
            out.insert(*it->second);
        }
    }

    void clear() {
        names.clear();
        symbols.clear();
        entities.clear();
        operatorTexts = false;
    }
};

struct PrefixComparator {
    bool operator()(std::reference_wrapper<const UnitPrefix> a,
                    std::reference_wrapper<const UnitPrefix> b) const {
        return a.get().compare(b.get()) < 0;
    }
};

// Key and value texts, searchable from either side, in the order they were added.
struct TwoWayTable {
    std::vector<std::pair<ustring, ustring>> rows;

    std::vector<ustring> valuesFor(const ustring& key) const {
        std::vector<ustring> out;
        for (const auto& [k, v] : rows) {
            if (k == key) {
                out.push_back(v);
            }
        }
        return out;
    }
    std::vector<ustring> keysFor(const ustring& value) const {
        std::vector<ustring> out;
        for (const auto& [k, v] : rows) {
            if (v == value) {
                out.push_back(k);
            }
        }
        return out;
    }
};

struct PhysicalQuantityRelation {
    ConversionFactor factor;
    // The factor converts from the smaller quantity to the larger one.
    bool fromSmaller;
};

struct PointerPairHash {
    std::size_t operator()(const std::pair<const UnitBase*, const UnitBase*>& key) const {
        const std::hash<const UnitBase*> hash;
        return hash(key.first) * 31U + hash(key.second);
    }
};

} // namespace unitstore

struct UnitDatabase::Store {
    std::vector<std::shared_ptr<UnitSystem>> unitSystems;
    std::map<ustring, std::shared_ptr<UnitSystem>> unitSystemsByName;
    std::unordered_map<ustring, UnitProvenance> provenances;
    std::unordered_multimap<std::reference_wrapper<const UnitPrefix>, const Unit*,
                            UnitPrefixDealiasedHash, UnitPrefixDealiasedEqualTo>
        unitsByPrefix;
    unitstore::EntityStore<UnitBase, UnitBase::ConstRefComparator> units;
    unitstore::EntityStore<UnitBase, UnitBase::ConstRefComparator> physicalQuantities;
    unitstore::EntityStore<UnitPrefix, unitstore::PrefixComparator> prefixes;
    mutable std::mutex compositeMutex;
    mutable std::map<std::pair<const UnitPrefix*, const Unit*>, std::unique_ptr<CompositeUnit>>
        composites;
    unitstore::TwoWayTable unitProvenance;
    unitstore::TwoWayTable unitAliasProvenance;
    unitstore::TwoWayTable physicalQuantityProvenance;
    unitstore::TwoWayTable unitPhysicalQuantity;
    std::unordered_map<std::pair<const UnitBase*, const UnitBase*>,
                       unitstore::PhysicalQuantityRelation, unitstore::PointerPairHash>
        relations;
    // The names of the quantities in some relation: a quantity named otherwise
    // has none, which spares most look-ups the walk of the quantity store.
    std::unordered_set<ustring, TextKeyHash, std::equal_to<>> relatedQuantityNames;
    AutoComplete autoComplete;
    mutable std::mutex completionMutex;
    mutable SharedDefinitions sharedDefinitions;
    // getFirstUnit's answers: a model's texts repeat a few thousand symbols, and
    // each answer costs several index look-ups and a walk of the composite cache.
    KeptFirstUnits firstUnits;
    // A load asks once about each of the many texts of its definitions.
    std::atomic<bool> loading{false};
    mutable std::unordered_map<ustring, UnitSet> keptCompletions;
    ustring version;
    std::atomic<bool> loaded{false};
    // Set when a load has finished and cleared with the contents, so that the
    // many callers that find the database loaded take no lock.
    std::atomic<bool> ready{false};
};

} // namespace CvUnitSys
