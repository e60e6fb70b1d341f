#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace CvUnitSys {

// Hands out blocks of one size from chunks it keeps, and takes them back for
// reuse: a map that makes a node for every registered unit then allocates
// without the general allocator, and without its header per block. The
// size is that of the first block asked for. The pool holds at most as many
// blocks as were out at once, rounded up to a chunk, until release().
class BlockPool {
public:
    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // Whether blocks of `size` bytes come from here: those of the first size asked for.
    bool serves(std::size_t size) {
        if (size_ == 0) {
            size_ = size;
            blockSize_ = size < sizeof(Free) ? sizeof(Free) : size;
        }
        return size == size_;
    }
    void* allocate() {
        if (free_ != nullptr) {
            return std::exchange(free_, free_->next);
        }
        if (next_ == end_) {
            grow();
        }
        return std::exchange(next_, next_ + blockSize_);
    }
    void deallocate(void* block) noexcept { free_ = new (block) Free{free_}; }
    // Frees the chunks: for when every block is back.
    void release() noexcept;

private:
    struct Free {
        Free* next;
    };
    // Chunks stay under the allocator's large requests, which first tidy
    // its lists of small free chunks.
    static constexpr std::size_t kChunkBytes = 1000;
    void grow();

    std::size_t size_ = 0;
    // At least a free-list link; a multiple of the block's alignment, as its size is.
    std::size_t blockSize_ = 0;
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::byte* next_ = nullptr;
    std::byte* end_ = nullptr;
    Free* free_ = nullptr;
};

// A container's allocator whose single objects of the pool's size come from
// the pool; arrays and other sizes use the general allocator.
template <typename T> class PooledAllocator {
public:
    using value_type = T;

    explicit PooledAllocator(BlockPool& pool) noexcept : pool_(&pool) {}
    template <typename U>
    PooledAllocator(const PooledAllocator<U>& other) noexcept // NOLINT(google-explicit-constructor)
        : pool_(other.pool()) {}

    T* allocate(std::size_t n) {
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
    BlockPool* pool() const noexcept { return pool_; }
    template <typename U> bool operator==(const PooledAllocator<U>& other) const noexcept {
        return pool_ == other.pool();
    }

private:
    BlockPool* pool_;
};

} // namespace CvUnitSys
