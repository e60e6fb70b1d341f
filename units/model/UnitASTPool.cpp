#include "units/model/UnitASTPool.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <utility>

namespace CvUnitSys {

namespace {

// Bit for bit: sharing must not merge exponents that differ within the tolerance.
bool same(std::span<const UnitAST::Entry> a, std::span<const UnitAST::Entry> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const UnitAST::Entry& x, const UnitAST::Entry& y) {
                          return &x.first.get() == &y.first.get() &&
                                 std::bit_cast<std::uint64_t>(x.second.getPosExpo()) ==
                                     std::bit_cast<std::uint64_t>(y.second.getPosExpo()) &&
                                 std::bit_cast<std::uint64_t>(x.second.getNegExpo()) ==
                                     std::bit_cast<std::uint64_t>(y.second.getNegExpo());
                      });
}

std::span<const UnitAST::Entry> entriesOf(const UnitAST::Map& block) {
    return {block.begin(), block.size()};
}

} // namespace

std::uint64_t UnitASTPool::hashOf(std::span<const UnitAST::Entry> entries) {
    // One multiply per value; the slot is taken from the top bits, which the
    // last multiply mixes best.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = entries.size();
    for (const auto& [unit, exponent] : entries) {
        h = (h ^ static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&unit.get()))) *
            kMultiplier;
        h = (h ^ std::bit_cast<std::uint64_t>(exponent.getPosExpo())) * kMultiplier;
        h = (h ^ std::bit_cast<std::uint64_t>(exponent.getNegExpo())) * kMultiplier;
    }
    return (h ^ (h >> 29)) * kMultiplier;
}

UnitASTPool::~UnitASTPool() {
    clear();
}

UnitASTPool::Slot& UnitASTPool::probe(std::span<const UnitAST::Entry> entries, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash >> shift_;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.block == nullptr || (slot.hash == hash && same(entriesOf(*slot.block), entries))) {
            return slot;
        }
    }
}

void UnitASTPool::insert(Slot& at, std::uint64_t hash, UnitAST::Map* block) {
    block->references_.fetch_add(1, std::memory_order_relaxed);
    at = {hash, block};
    ++size_;
}

void UnitASTPool::grow() {
    std::vector<Slot> old(std::max<std::size_t>(16, 2 * slots_.size()));
    old.swap(slots_);
    shift_ = 64 - static_cast<unsigned>(std::countr_zero(slots_.size()));
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.block != nullptr) {
            std::size_t i = slot.hash >> shift_;
            while (slots_[i].block != nullptr) {
                i = (i + 1) & mask;
            }
            slots_[i] = slot;
        }
    }
}

void UnitASTPool::share(UnitAST& ast) {
    if (ast.block_ == nullptr) {
        return;
    }
    // At most three quarters full, so that a probe always ends, and soon.
    if (4 * (size_ + 1) > 3 * slots_.size()) {
        grow();
    }
    const std::uint64_t hash = hashOf(entriesOf(*ast.block_));
    Slot& slot = probe(entriesOf(*ast.block_), hash);
    if (slot.block != nullptr) {
        if (slot.block != ast.block_) {
            slot.block->references_.fetch_add(1, std::memory_order_relaxed);
            UnitAST::release(std::exchange(ast.block_, slot.block));
        }
        return;
    }
    ast.shrinkToFit();
    if (ast.block_ != nullptr) {
        insert(slot, hash, ast.block_);
    }
}

UnitAST UnitASTPool::intern(std::span<const UnitAST::Entry> entries) {
    UnitAST out;
    if (entries.empty()) {
        return out;
    }
    if (4 * (size_ + 1) > 3 * slots_.size()) {
        grow();
    }
    const std::uint64_t hash = hashOf(entries);
    Slot& slot = probe(entries, hash);
    if (slot.block != nullptr) {
        slot.block->references_.fetch_add(1, std::memory_order_relaxed);
        out.block_ = slot.block;
        return out;
    }
    out.block_ = UnitAST::allocate(static_cast<std::uint32_t>(entries.size()));
    std::uninitialized_copy(entries.begin(), entries.end(), out.block_->entries());
    out.block_->size_ = static_cast<std::uint32_t>(entries.size());
    insert(slot, hash, out.block_);
    return out;
}

void UnitASTPool::clear() {
    for (Slot& slot : slots_) {
        UnitAST::release(std::exchange(slot.block, nullptr));
    }
    size_ = 0;
}

} // namespace CvUnitSys
