#include "project/LinkPool.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VORLIN_LINK_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLIN_LINK_POOL_OFF 1
#endif
#endif

namespace vorlin {

#ifndef VORLIN_LINK_POOL_OFF
namespace {

struct TFreeBlock {
    TFreeBlock* Next;
};

// Rounded so that every block keeps the alignment new gives.
constexpr size_t RoundedSize(size_t blockSize) {
    constexpr size_t align = alignof(std::max_align_t);
    return (blockSize < sizeof(TFreeBlock) ? sizeof(TFreeBlock) : blockSize + align - 1) / align * align;
}

class TPool {
public:
    // Null for a size other than the pool's (set by the first call): the
    // free list holds blocks of one size only.
    void* Take(size_t blockSize) {
        const size_t size = RoundedSize(blockSize);
        std::lock_guard<std::mutex> lock(FLock);
        if (FBlockSize == 0) FBlockSize = size;
        if (size != FBlockSize) return nullptr;
        if (FFree) {
            TFreeBlock* block = FFree;
            FFree = block->Next;
            return block;
        }
        if (FLeft < size) NewChunk();
        void* block = FNext;
        FNext += size;
        FLeft -= size;
        return block;
    }

    // False for a block not of the pool's size: it came from new.
    bool Give(void* block, size_t blockSize) noexcept {
        std::lock_guard<std::mutex> lock(FLock);
        if (RoundedSize(blockSize) != FBlockSize) return false;
        auto* free = static_cast<TFreeBlock*>(block);
        free->Next = FFree;
        FFree = free;
        return true;
    }

private:
    void NewChunk() {
        FChunks.reserve(FChunks.size() + 1);
        // Aligned to its size, so that the kernel can map it with huge pages.
        void* chunk = std::aligned_alloc(TLinkPool::kChunkBytes, TLinkPool::kChunkBytes);
        if (!chunk) throw std::bad_alloc();
        // A hint only: without huge pages the chunk is faulted in as usual.
        ::madvise(chunk, TLinkPool::kChunkBytes, MADV_HUGEPAGE);
        FChunks.push_back(chunk);
        FNext = static_cast<char*>(chunk);
        FLeft = TLinkPool::kChunkBytes;
    }

    std::mutex FLock;
    size_t FBlockSize = 0;
    TFreeBlock* FFree = nullptr;
    char* FNext = nullptr;
    size_t FLeft = 0;
    std::vector<void*> FChunks;  // kept for the process's life
};

// Never destroyed: links may be freed by static destructors after it.
TPool& Pool() {
    static TPool* pool = new TPool;
    return *pool;
}

} // namespace
#endif

void* TLinkPool::Take(size_t blockSize) {
#ifdef VORLIN_LINK_POOL_OFF
    return ::operator new(blockSize);
#else
    if (blockSize > kLargestBlock) return ::operator new(blockSize);
    void* block = Pool().Take(blockSize);
    return block ? block : ::operator new(blockSize);
#endif
}

void TLinkPool::Give(void* block, size_t blockSize) noexcept {
    if (!block) return;
#ifdef VORLIN_LINK_POOL_OFF
    ::operator delete(block, blockSize);
#else
    if (blockSize > kLargestBlock || !Pool().Give(block, blockSize)) ::operator delete(block, blockSize);
#endif
}

} // namespace vorlin
