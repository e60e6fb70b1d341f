#pragma once

#include "units/foundation/Exponent.hpp"
#include "units/model/ExponentUsage.hpp"
#include "units/model/UnitBase.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>

namespace CvUnitSys {

// A unit expression resolved to entities: each entity, in `compare` order, with
// its exponent. Flat, and never normalised: an entry whose exponent simplifies
// to zero stays. The entities are not owned and must outlive the AST.
//
// Every registered unit keeps two ASTs in its definition, and the fundamental
// one is usually the same as many others' (every speed is m/s), so entries sit
// in one shared block: copies share it, a change copies it first, and a set
// can make equal ASTs share one block (UnitASTPool). Blocks may be shared
// between threads, so their reference counts are atomic.
class UnitAST {
public:
    using Entry = std::pair<std::reference_wrapper<const UnitBase>, Exponent>;

    // The entries, sorted; read-only.
    class alignas(alignof(Entry)) Map {
    public:
        using value_type = Entry;
        using const_iterator = const Entry*;
        using iterator = const Entry*;

        const Entry* begin() const { return entries(); }
        const Entry* end() const { return entries() + size_; }
        std::size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        // std::out_of_range when the entity has no entry.
        const Exponent& at(const UnitBase& unit) const;

    private:
        friend class UnitAST;
        friend class UnitASTPool;
        explicit Map(std::uint32_t capacity) : capacity_(capacity) {}
        Entry* entries() { return reinterpret_cast<Entry*>(this + 1); }
        const Entry* entries() const { return reinterpret_cast<const Entry*>(this + 1); }

        std::atomic<std::uint32_t> references_{1};
        std::uint32_t size_ = 0;
        std::uint32_t capacity_;
    };

    UnitAST() = default;
    UnitAST(const UnitAST& other) noexcept;
    UnitAST& operator=(const UnitAST& other) noexcept;
    // Leaves `other` empty.
    UnitAST(UnitAST&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    UnitAST& operator=(UnitAST&& other) noexcept;
    ~UnitAST();

    // Gathers: an entity already present has `e` added part by part.
    void addToAST(std::reference_wrapper<const UnitBase> unit, const Exponent& e);
    // Adds every entry of `other` raised to `e`; expands a unit by its definition.
    void addToAST(const UnitAST& other, const Exponent& e);

    // Replaces the entries by `entries`, which are in `compare` order with no
    // entity twice: a build that merged them itself.
    void assignSorted(std::span<const Entry> entries);
    // Room for `entries` in all: a build that knows its size allocates once.
    void reserve(std::size_t entries);
    // Drops the room a build left for more entries: for ASTs that are kept.
    void shrinkToFit();
    // No entries; the block stays for the next build unless another AST holds it.
    void clear();

    const Map& getAST() const { return block_ != nullptr ? *block_ : empty(); }
    bool isEmpty() const { return block_ == nullptr || block_->size_ == 0; }
    bool equal(const UnitAST& other, ExponentUsage usage) const;
    // Each entry as <ASCII symbol>^<pos>:<neg>, no separator.
    ustring toUString() const;

private:
    friend class UnitASTPool;
    static const Map& empty();
    static Map* allocate(std::uint32_t capacity);
    static void release(Map* block) noexcept;
    // A block of its own with room for `extra` more entries; `exact` asks for
    // no more room than that.
    void prepareChange(std::size_t extra, bool exact = false);
    // Puts an entry at `at`, where prepareChange has made room for it.
    void insertEntry(std::size_t at, std::reference_wrapper<const UnitBase> unit,
                     const Exponent& e);
    bool equalOnBothParts(const UnitAST& other) const;
    bool equalOnSimplified(const UnitAST& other) const;

    Map* block_ = nullptr;
};

} // namespace CvUnitSys
