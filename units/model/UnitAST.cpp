#include "units/model/UnitAST.hpp"

#include "units/foundation/ToleranceCompare.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace CvUnitSys {

static_assert(std::is_trivially_destructible_v<UnitAST::Entry>);
static_assert(sizeof(UnitAST::Map) % alignof(UnitAST::Entry) == 0);

namespace {

// Most ASTs have one to four entries: one block holds them without growing.
constexpr std::uint32_t initialCapacity = 4;

const UnitAST::Entry* lowerBound(const UnitAST::Map& map, const UnitBase& unit) {
    return std::lower_bound(
        map.begin(), map.end(), unit,
        [](const UnitAST::Entry& e, const UnitBase& u) { return e.first.get().compare(u) < 0; });
}

} // namespace

const Exponent& UnitAST::Map::at(const UnitBase& unit) const {
    const Entry* found = lowerBound(*this, unit);
    if (found == end() || found->first.get().compare(unit) != 0) {
        throw std::out_of_range("UnitAST::Map::at");
    }
    return found->second;
}

const UnitAST::Map& UnitAST::empty() {
    static const Map none(0);
    return none;
}

UnitAST::Map* UnitAST::allocate(std::uint32_t capacity) {
    void* memory = ::operator new(sizeof(Map) + capacity * sizeof(Entry));
    return new (memory) Map(capacity);
}

void UnitAST::release(Map* block) noexcept {
    if (block != nullptr && block->references_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block->~Map();
        ::operator delete(block);
    }
}

UnitAST::UnitAST(const UnitAST& other) noexcept : block_(other.block_) {
    if (block_ != nullptr) {
        block_->references_.fetch_add(1, std::memory_order_relaxed);
    }
}

UnitAST& UnitAST::operator=(const UnitAST& other) noexcept {
    if (other.block_ != nullptr) {
        other.block_->references_.fetch_add(1, std::memory_order_relaxed);
    }
    release(std::exchange(block_, other.block_));
    return *this;
}

UnitAST& UnitAST::operator=(UnitAST&& other) noexcept {
    if (this != &other) {
        release(std::exchange(block_, std::exchange(other.block_, nullptr)));
    }
    return *this;
}

UnitAST::~UnitAST() {
    release(block_);
}

void UnitAST::prepareChange(std::size_t extra, bool exact) {
    const std::size_t size = block_ != nullptr ? block_->size_ : 0;
    const bool own = block_ != nullptr && block_->references_.load(std::memory_order_acquire) == 1;
    if (own && size + extra <= block_->capacity_) {
        return;
    }
    std::size_t capacity = size + extra;
    if (!exact) {
        capacity = std::max<std::size_t>(capacity, initialCapacity);
        // Doubling keeps a long build linear.
        if (block_ != nullptr && size + extra > block_->capacity_) {
            capacity = std::max<std::size_t>(capacity, 2 * std::size_t{block_->capacity_});
        }
    }
    if (capacity > UINT32_MAX) {
        throw std::bad_alloc();
    }
    Map* fresh = allocate(static_cast<std::uint32_t>(capacity));
    if (block_ != nullptr) {
        std::uninitialized_copy(block_->begin(), block_->end(), fresh->entries());
        fresh->size_ = block_->size_;
    }
    release(std::exchange(block_, fresh));
}

void UnitAST::reserve(std::size_t entries) {
    const std::size_t size = block_ != nullptr ? block_->size_ : 0;
    if (entries > size) {
        prepareChange(entries - size, true);
    }
}

void UnitAST::assignSorted(std::span<const Entry> entries) {
    clear();
    if (entries.empty()) {
        return;
    }
    prepareChange(entries.size(), true);
    std::uninitialized_copy(entries.begin(), entries.end(), block_->entries());
    block_->size_ = static_cast<std::uint32_t>(entries.size());
}

void UnitAST::shrinkToFit() {
    if (block_ == nullptr || block_->size_ == block_->capacity_) {
        return;
    }
    if (block_->size_ == 0) {
        release(std::exchange(block_, nullptr));
        return;
    }
    Map* exact = allocate(block_->size_);
    std::uninitialized_copy(block_->begin(), block_->end(), exact->entries());
    exact->size_ = block_->size_;
    release(std::exchange(block_, exact));
}

void UnitAST::clear() {
    if (block_ != nullptr && block_->references_.load(std::memory_order_acquire) == 1) {
        block_->size_ = 0;
    } else {
        release(std::exchange(block_, nullptr));
    }
}

void UnitAST::addToAST(std::reference_wrapper<const UnitBase> unit, const Exponent& e) {
    const std::size_t at =
        block_ != nullptr ? static_cast<std::size_t>(lowerBound(*block_, unit) - block_->begin())
                          : 0;
    const bool present = block_ != nullptr && at < block_->size_ &&
                         block_->begin()[at].first.get().compare(unit) == 0;
    prepareChange(present ? 0 : 1);
    if (present) {
        block_->entries()[at].second += e;
        return;
    }
    insertEntry(at, unit, e);
}

void UnitAST::insertEntry(std::size_t at, std::reference_wrapper<const UnitBase> unit,
                          const Exponent& e) {
    Entry* entries = block_->entries();
    Entry* const end = entries + block_->size_;
    if (at == block_->size_) {
        new (end) Entry(unit, e);
    } else {
        new (end) Entry(end[-1]);
        std::move_backward(entries + at, end - 1, end);
        entries[at] = Entry(unit, e);
    }
    ++block_->size_;
}

void UnitAST::addToAST(const UnitAST& other, const Exponent& e) {
    if (&other == this) {
        const UnitAST copy = other;
        addToAST(copy, e);
        return;
    }
    if (other.isEmpty()) {
        return;
    }
    // Room for every entry at once, rather than growing on the way.
    prepareChange(other.block_->size_);
    Entry* entries = block_->entries();
    // Both sides are sorted: one walk merges them, each entity compared once
    // on the way instead of searched for.
    std::size_t at = 0;
    for (const auto& [unit, exponent] : other.getAST()) {
        Exponent raised = exponent;
        raised *= e;
        int order = -1;
        while (at < block_->size_ && (order = entries[at].first.get().compare(unit)) < 0) {
            ++at;
        }
        if (at < block_->size_ && order == 0) {
            entries[at++].second += raised;
            continue;
        }
        insertEntry(at++, unit, raised);
    }
}

bool UnitAST::equal(const UnitAST& other, ExponentUsage usage) const {
    // A set's pool gives equal fundamental ASTs one block: then only an
    // exponent that is not a number, equal to nothing, can tell them apart.
    if (block_ == other.block_ && block_ != nullptr) {
        return std::none_of(block_->begin(), block_->end(), [usage](const Entry& entry) {
            const Exponent& e = entry.second;
            return usage == UsePosNegExpo ? std::isnan(e.getPosExpo()) || std::isnan(e.getNegExpo())
                                          : std::isnan(e.getSimplifiedExpo());
        });
    }
    return usage == UsePosNegExpo ? equalOnBothParts(other) : equalOnSimplified(other);
}

bool UnitAST::equalOnBothParts(const UnitAST& other) const {
    const Map& mine = getAST();
    const Map& theirs = other.getAST();
    if (mine.size() != theirs.size()) {
        return false;
    }
    for (auto a = mine.begin(), b = theirs.begin(); a != mine.end(); ++a, ++b) {
        if (a->first.get().compare(b->first.get()) != 0 ||
            !equalWithinTolerance(a->second.getPosExpo(), b->second.getPosExpo()) ||
            !equalWithinTolerance(a->second.getNegExpo(), b->second.getNegExpo())) {
            return false;
        }
    }
    return true;
}

bool UnitAST::equalOnSimplified(const UnitAST& other) const {
    const Map& mine = getAST();
    const Map& theirs = other.getAST();
    auto a = mine.begin();
    auto b = theirs.begin();
    while (a != mine.end() && b != theirs.end()) {
        const double sa = a->second.getSimplifiedExpo();
        const double sb = b->second.getSimplifiedExpo();
        const bool zeroA = isZeroWithinTolerance(sa);
        const bool zeroB = isZeroWithinTolerance(sb);
        if (!zeroA && !zeroB) {
            if (!equalWithinTolerance(sa, sb) || a->first.get().compare(b->first.get()) != 0) {
                return false;
            }
            ++a;
            ++b;
            continue;
        }
        if (zeroA) {
            ++a;
        }
        if (zeroB) {
            ++b;
        }
    }
    const auto restIsZero = [](Map::const_iterator it, Map::const_iterator end) {
        for (; it != end; ++it) {
            if (!isZeroWithinTolerance(it->second.getSimplifiedExpo())) {
                return false;
            }
        }
        return true;
    };
    return restIsZero(a, mine.end()) && restIsZero(b, theirs.end());
}

ustring UnitAST::toUString() const {
    ustring out;
    for (const auto& [unit, exponent] : getAST()) {
        out += unit.get().getAsciiSymbol();
        out += u'^';
        out += exponent.toUString();
    }
    return out;
}

} // namespace CvUnitSys
