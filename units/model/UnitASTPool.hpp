#pragma once

#include "units/model/UnitAST.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace CvUnitSys {

// Lets equal ASTs share one block of entries: a set keeps a definition for
// every unit a table registers, and most of their fundamental ASTs repeat a
// few dimensions. The pool holds one reference to each block it knows, so it
// holds at most one block per AST given to it since the last clear.
class UnitASTPool {
public:
    UnitASTPool() = default;
    UnitASTPool(const UnitASTPool&) = delete;
    UnitASTPool& operator=(const UnitASTPool&) = delete;
    ~UnitASTPool();

    // Makes `ast` share the pool's block when the pool has one with the same
    // entities (the same objects) and exponents; otherwise the pool learns its block.
    void share(UnitAST& ast);
    // An AST of `entries`, which are sorted as assignSorted takes them: the
    // pool's equal block, or a block of their exact size that the pool learns.
    UnitAST intern(std::span<const UnitAST::Entry> entries);
    void clear();
    std::size_t size() const { return size_; }

private:
    // Open addressing: a block is found without a node per block, and its
    // hash is kept so that a probe rarely reads another block's entries.
    struct Slot {
        std::uint64_t hash = 0;
        UnitAST::Map* block = nullptr;
    };
    static std::uint64_t hashOf(std::span<const UnitAST::Entry> entries);
    // The slot holding an equal block, or the empty slot where it would go.
    Slot& probe(std::span<const UnitAST::Entry> entries, std::uint64_t hash);
    void insert(Slot& at, std::uint64_t hash, UnitAST::Map* block);
    void grow();

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
    // Slots are picked by the hash's top bits: 64 less log2 of their number.
    unsigned shift_ = 64;
};

} // namespace CvUnitSys
