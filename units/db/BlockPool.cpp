#include "units/db/BlockPool.hpp"

#include <algorithm>

namespace CvUnitSys {

void BlockPool::grow() {
    const std::size_t bytes = std::max(blockSize_, kChunkBytes / blockSize_ * blockSize_);
    // Chunks come from operator new, aligned for any block the allocator serves.
    chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
    next_ = chunks_.back().get();
    end_ = next_ + bytes;
}

void BlockPool::release() noexcept {
    chunks_.clear();
    next_ = nullptr;
    end_ = nullptr;
    free_ = nullptr;
}

} // namespace CvUnitSys
