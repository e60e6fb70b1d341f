#pragma once

#include <boost/pool/pool.hpp>
#include <cstddef>
#include <memory>
#include <new>
#include <optional>

namespace CvUnitSys {

// Blocks of one size, that of the first block asked for, from a pool of small
// chunks: a map that makes a node for every registered unit then allocates
// without the general allocator's work and header per block. The pool holds
// at most as many blocks as were out at once, rounded up to a chunk, until
// release().
class NodePool {
public:
    // Whether blocks of `size` bytes come from here.
    bool serves(std::size_t size) {
        if (!pool_) {
            pool_.emplace(size, kBlocksPerChunk, kBlocksPerChunk);
        }
        return size == pool_->get_requested_size();
    }
    void* allocate() {
        void* block = pool_->malloc();
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return block;
    }
    void deallocate(void* block) noexcept { pool_->free(block); }
    // Frees the chunks: for when every block is back.
    void release() noexcept {
        if (pool_) {
            pool_->purge_memory();
        }
    }

private:
    // Chunks of about a kilobyte stay under the general allocator's large
    // requests, which first tidy its lists of small free chunks.
    static constexpr std::size_t kBlocksPerChunk = 10;
    std::optional<boost::pool<>> pool_;
};

// A container's allocator whose single objects of the pool's size come from
// the pool; arrays and other sizes use the general allocator.
template <typename T> class PooledAllocator {
public:
    using value_type = T;

    explicit PooledAllocator(NodePool& pool) noexcept : pool_(&pool) {}
    template <typename U>
    PooledAllocator(const PooledAllocator<U>& other) noexcept // NOLINT(google-explicit-constructor)
        : pool_(other.pool()) {}

    T* allocate(std::size_t n) {
        // Blocks lie at multiples of their size from the start of a chunk, which
        // operator new aligns.
        static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
        if (n == 1 && pool_->serves(sizeof(T))) {
            return static_cast<T*>(pool_->allocate());
        }
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n == 1 && pool_->serves(sizeof(T))) {
            pool_->deallocate(p);
        } else {
            std::allocator<T>().deallocate(p, n);
        }
    }
    NodePool* pool() const noexcept { return pool_; }
    template <typename U> bool operator==(const PooledAllocator<U>& other) const noexcept {
        return pool_ == other.pool();
    }

private:
    NodePool* pool_;
};

} // namespace CvUnitSys
