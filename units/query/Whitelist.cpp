#include "units/query/Whitelist.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/TextHash.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/UnitAST.hpp"

#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <new>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace CvUnitSys {

namespace {

// A definition names a handful of symbols: kept in place, they cost no allocation.
using SymbolList = boost::container::small_vector<std::u16string_view, 8>;

// Whether the name is a valid unit name. A name made later is that of a text
// the hand reader read, which writes each operator of the text into the name
// as well: such a name fails without being made.
bool hasValidName(const UnitTexts& texts) {
    if (texts.formsMadeLater() &&
        texts.get(UnitTexts::Expression).find_first_of(u"*/^()") != std::u16string_view::npos) {
        return false;
    }
    return UnitBase::isValidStringForUnitName(texts.get(UnitTexts::Name));
}

// ASCII letters alone: an expression that reads as that one symbol to the first power.
bool isOneWord(std::u16string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

} // namespace

template <typename Resolve>
Whitelist::Parts Whitelist::partsOf(const UnitBase& unit, const Resolve& firstUnitOf) {
    Parts parts;
    const std::u16string_view expression = unit.getDisplayString();
    // Most database units are defined by one symbol, which is its own reading.
    if (isOneWord(expression)) {
        if (const UnitBase* found = firstUnitOf(ustring(expression))) {
            parts.push_back(found);
        }
        return parts;
    }
    // A quantity-only registration has no expression to learn from.
    if (!expression.empty()) {
        UnitExpr parsed;
        parseUnitExprThrows(ustring(expression), parsed);
        for (const auto& [name, exponent] : parsed.getReducedUnitExpr().getExpr()) {
            if (const UnitBase* found = firstUnitOf(name)) {
                parts.push_back(found);
            }
        }
    }
    return parts;
}

void Whitelist::addSuggestions(const UnitBase& unit, const Parts& parts) {
    // The entities found outlive the call: their symbols need no copies.
    SymbolList symbols;
    for (const UnitBase* part : parts) {
        symbols.emplace_back(part->getSymbol());
    }
    count(unit.getSymbol(), symbols, hasValidName(unit.getTexts()));
}

void Whitelist::countPending(Pending& pending, PartIterator parts) const {
    // Marked first: a count cut short by a failed allocation is not made twice.
    pending.counted = true;
    SymbolList symbols;
    for (std::uint32_t k = 0; k < pending.parts; ++k, ++parts) {
        symbols.emplace_back((*parts)->getSymbol());
    }
    count(pending.texts.get(UnitTexts::Symbol), symbols, hasValidName(pending.texts));
}

void Whitelist::settle() const {
    if (pending_.empty()) {
        return;
    }
    PartIterator parts = pendingParts_.begin();
    for (Pending& pending : pending_) {
        if (!pending.counted) {
            countPending(pending, parts);
        }
        parts += pending.parts;
    }
    pending_.clear();
    pendingParts_.clear();
    compactAt_ = firstCompaction;
}

void Whitelist::compactPending() {
    std::size_t part = 0;
    bool counted = false;
    for (Pending& pending : pending_) {
        if (!pending.counted && !pending.held && pending.texts.isLastCopy()) {
            countPending(pending, pendingParts_.begin() + static_cast<std::ptrdiff_t>(part));
            counted = true;
        }
        part += pending.parts;
    }
    // Moved only once all are counted, so that a failed count leaves the lists whole.
    if (counted) {
        dropCounted();
    }
    compactAt_ = std::max(firstCompaction, 2 * pending_.size());
}

void Whitelist::dropCounted() noexcept {
    std::size_t kept = 0;
    std::size_t keptParts = 0;
    std::size_t part = 0;
    for (Pending& pending : pending_) {
        const std::uint32_t parts = pending.parts;
        if (!pending.counted) {
            if (keptParts != part) {
                std::copy_n(pendingParts_.begin() + static_cast<std::ptrdiff_t>(part), parts,
                            pendingParts_.begin() + static_cast<std::ptrdiff_t>(keptParts));
            }
            keptParts += parts;
            pending_[kept++] = std::move(pending);
        }
        part += parts;
    }
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(kept), pending_.end());
    pendingParts_.erase(pendingParts_.begin() + static_cast<std::ptrdiff_t>(keptParts),
                        pendingParts_.end());
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitDatabase& database) {
    addSuggestions(unit, partsOf(unit, [&database](const ustring& name) {
                       const UnitBase* found = database.getFirstUnit(name).unit;
                       if (found == nullptr && !database.isBuiltin()) {
                           found = UnitDatabase::getBuiltinDatabase()->getFirstUnit(name).unit;
                       }
                       return found;
                   }));
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitDBSet& set) {
    addSuggestions(unit, definitionParts(unit, set));
}

Whitelist::Parts Whitelist::definitionParts(const UnitBase& unit, const UnitDBSet& set) {
    // hasUnit with the default quantity and getUnit, resolved once.
    return partsOf(unit,
                   [&set](const ustring& name) { return set.findUnitOf(name, defaultQuantity()); });
}

void Whitelist::addSuggestions(const UnitBase& unit, const UnitAST& resolved, bool held) {
    if (pending_.size() >= compactAt_) {
        compactPending();
    }
    // Each part is noted as it is stored: a failed allocation leaves the lists in step.
    Pending& pending = pending_.emplace_back(Pending{unit.getTexts(), 0, false, held});
    for (const auto& [entity, exponent] : resolved.getAST()) {
        pendingParts_.push_back(&entity.get());
        ++pending.parts;
    }
}

void Whitelist::releaseHeld() {
    for (Pending& pending : pending_) {
        pending.held = false;
    }
}

void Whitelist::addSuggestionsHelper(const ustring& symbol, const std::set<ustring>& symbols,
                                     bool nameIsValid) {
    count(symbol, symbols, nameIsValid);
}

std::size_t Whitelist::TextHash::operator()(std::u16string_view text) const noexcept {
    return textHash(text);
}

Whitelist::Symbol& Whitelist::intern(std::u16string_view text) const {
    SymbolTable::insert_commit_data commit;
    const auto [found, fresh] = symbols_.insert_check(text, TextHash{}, SameText{}, commit);
    if (!fresh) {
        return found->symbol;
    }
    void* memory = texts_->allocate(sizeof(Entry) + text.size() * sizeof(char16_t), alignof(Entry));
    auto* entry = new (memory) Entry{};
    entry->symbol = Symbol{noSlot, 0};
    entry->length = static_cast<std::uint32_t>(text.size());
    std::copy(text.begin(), text.end(), reinterpret_cast<char16_t*>(entry + 1));
    symbols_.insert_commit(*entry, commit);
    if (symbols_.size() > buckets_.size()) {
        std::vector<SymbolTable::bucket_type> more(buckets_.size() * 2);
        symbols_.rehash(SymbolTable::bucket_traits(more.data(), more.size()));
        buckets_.swap(more);
    }
    return entry->symbol;
}

const Whitelist::Symbol* Whitelist::find(std::u16string_view text) const {
    const auto found = symbols_.find(text, TextHash{}, SameText{});
    return found == symbols_.end() ? nullptr : &found->symbol;
}

std::uint32_t Whitelist::slotOf(Symbol& symbol) const {
    if (symbol.slot == noSlot) {
        symbol.slot = static_cast<std::uint32_t>(partners_.size());
        partners_.emplace_back();
    }
    return symbol.slot;
}

namespace {

// A slot's block: its first element holds the number of partners as `slot`
// and the room for them as `count`.
template <typename Partner> std::span<Partner> partnersIn(const std::unique_ptr<Partner[]>& block) {
    return block ? std::span<Partner>(&block[1], block[0].slot) : std::span<Partner>();
}

template <typename Partner> Partner* findPartner(std::span<Partner> partners, std::uint32_t slot) {
    return std::lower_bound(
        partners.data(), partners.data() + partners.size(), slot,
        [](const Partner& partner, std::uint32_t s) { return partner.slot < s; });
}

} // namespace

void Whitelist::countPair(std::uint32_t a, std::uint32_t b) const {
    const auto [low, high] = std::minmax(a, b);
    std::unique_ptr<Partner[]>& block = partners_[low];
    const std::span<Partner> partners = partnersIn(block);
    Partner* const end = partners.data() + partners.size();
    Partner* const at = findPartner(partners, high);
    if (at != end && at->slot == high) {
        ++at->count;
        return;
    }
    const auto size = static_cast<std::uint32_t>(partners.size());
    const auto room = block ? static_cast<std::uint32_t>(block[0].count) : 0U;
    if (size < room) {
        std::move_backward(at, end, end + 1);
        *at = Partner{high, 1};
        block[0].slot = size + 1;
        return;
    }
    // An odd number of elements fills the allocator's chunks: 2, 6, 14, ... partners.
    const std::uint32_t more = 2 * room + 2;
    auto grown = std::make_unique<Partner[]>(more + 1);
    Partner* const out = std::copy(partners.data(), at, &grown[1]);
    *out = Partner{high, 1};
    std::copy(at, end, out + 1);
    grown[0] = Partner{size + 1, static_cast<std::int32_t>(more)};
    block = std::move(grown);
}

std::int32_t Whitelist::pairCount(std::uint32_t a, std::uint32_t b) const {
    const auto [low, high] = std::minmax(a, b);
    const std::span<Partner> partners = partnersIn(partners_[low]);
    const Partner* const at = findPartner(partners, high);
    return at != partners.data() + partners.size() && at->slot == high ? at->count : 0;
}

template <typename Symbols>
void Whitelist::count(std::u16string_view symbol, const Symbols& symbols, bool nameIsValid) const {
    // Interned first, so that repeats are found by address rather than by text.
    boost::container::small_vector<Symbol*, 8> counted;
    for (const std::u16string_view s : symbols) {
        counted.push_back(&intern(s));
    }
    std::sort(counted.begin(), counted.end());
    counted.erase(std::unique(counted.begin(), counted.end()), counted.end());
    boost::container::small_vector<std::uint32_t, 8> slots;
    for (Symbol* c : counted) {
        ++c->occurrences;
        slots.push_back(slotOf(*c));
    }
    // Distinct symbols: each pair once.
    for (std::size_t i = 0; i < slots.size(); ++i) {
        for (std::size_t j = i + 1; j < slots.size(); ++j) {
            countPair(slots[i], slots[j]);
        }
    }
    if (!nameIsValid) {
        ++intern(symbol).occurrences;
    }
}

void Whitelist::appendInformation(const EntitySet& completions, Information& info,
                                  const EntitySet& expressionEntities) const {
    if (expressionEntities.empty()) {
        return;
    }
    settle();
    // Symbols that no definition used can be no partner.
    std::unordered_map<std::u16string_view, const Symbol*> candidates;
    for (const UnitBase& completion : completions) {
        const Symbol* counted = find(completion.getSymbol());
        if (counted != nullptr && counted->slot != noSlot) {
            candidates.try_emplace(completion.getSymbol(), counted);
        }
    }
    Information local;
    for (const UnitBase& entity : expressionEntities) {
        const Symbol* typed = find(entity.getSymbol());
        if (typed == nullptr || typed->slot == noSlot) {
            continue;
        }
        for (const auto& [candidate, counted] : candidates) {
            const std::int32_t together = pairCount(typed->slot, counted->slot);
            if (together == 0) {
                continue;
            }
            auto& [count, occurrence] = local[ustring(candidate)];
            count += together;
            occurrence += counted->occurrences;
        }
    }
    for (const auto& [symbol, counts] : local) {
        auto& [count, occurrence] = info[symbol];
        count += counts.first;
        occurrence += counts.second;
    }
}

std::int32_t Whitelist::getSymbolOccurrenceCount(const UnitBase& entity) const {
    return getSymbolOccurrenceCountHelper(entity.getSymbol());
}

std::int32_t Whitelist::getSymbolOccurrenceCountHelper(std::u16string_view symbol) const {
    settle();
    const Symbol* counted = find(symbol);
    return counted == nullptr ? 0 : counted->occurrences;
}

void Whitelist::clearAll() {
    pending_.clear();
    pendingParts_.clear();
    compactAt_ = firstCompaction;
    symbols_.clear();
    partners_.clear();
    texts_->release();
}

} // namespace CvUnitSys
