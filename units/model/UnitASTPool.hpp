#pragma once

#include "units/model/UnitAST.hpp"

#include <cstddef>
#include <unordered_set>

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
    void clear();
    std::size_t size() const { return blocks_.size(); }

private:
    struct Hash {
        std::size_t operator()(const UnitAST::Map* block) const;
    };
    struct Same {
        bool operator()(const UnitAST::Map* a, const UnitAST::Map* b) const;
    };
    std::unordered_set<UnitAST::Map*, Hash, Same> blocks_;
};

} // namespace CvUnitSys
