#include "units/model/UnitASTPool.hpp"

#include "units/model/HashCombine.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>

namespace CvUnitSys {

std::size_t UnitASTPool::Hash::operator()(const UnitAST::Map* block) const {
    // Every stored definition is hashed: one multiply per value, one mix at the end.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = block->size();
    for (const auto& [unit, exponent] : *block) {
        h = (h ^ static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&unit.get()))) *
            kMultiplier;
        h = (h ^ std::bit_cast<std::uint64_t>(exponent.getPosExpo())) * kMultiplier;
        h = (h ^ std::bit_cast<std::uint64_t>(exponent.getNegExpo())) * kMultiplier;
    }
    return hashCombine(0, h);
}

bool UnitASTPool::Same::operator()(const UnitAST::Map* a, const UnitAST::Map* b) const {
    // Bit for bit: sharing must not merge exponents that differ within the tolerance.
    const auto same = [](const UnitAST::Entry& x, const UnitAST::Entry& y) {
        return &x.first.get() == &y.first.get() &&
               std::bit_cast<std::uint64_t>(x.second.getPosExpo()) ==
                   std::bit_cast<std::uint64_t>(y.second.getPosExpo()) &&
               std::bit_cast<std::uint64_t>(x.second.getNegExpo()) ==
                   std::bit_cast<std::uint64_t>(y.second.getNegExpo());
    };
    return std::equal(a->begin(), a->end(), b->begin(), b->end(), same);
}

UnitASTPool::~UnitASTPool() {
    clear();
}

void UnitASTPool::share(UnitAST& ast) {
    if (ast.block_ == nullptr) {
        return;
    }
    if (const auto found = blocks_.find(ast.block_); found != blocks_.end()) {
        if (*found != ast.block_) {
            (*found)->references_.fetch_add(1, std::memory_order_relaxed);
            UnitAST::release(std::exchange(ast.block_, *found));
        }
        return;
    }
    ast.shrinkToFit();
    if (ast.block_ != nullptr) {
        blocks_.insert(ast.block_);
        ast.block_->references_.fetch_add(1, std::memory_order_relaxed);
    }
}

void UnitASTPool::clear() {
    for (UnitAST::Map* block : blocks_) {
        UnitAST::release(block);
    }
    blocks_.clear();
}

} // namespace CvUnitSys
