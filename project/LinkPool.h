// The memory of the link objects: a list of a hundred thousand links is
// tens of megabytes of equal-sized objects, made one by one while a list
// loads or a run finds them. The pool hands them out of chunks of 2 MB that
// the kernel may back with huge pages, so that the first load of a large
// list in a process does not take one page fault per 4 KB of links, and
// keeps freed objects for the next ones. Chunks stay with the process.
//
// Any thread may take and give back (a run's thread makes links, the main
// thread loads and frees lists). Under AddressSanitizer every object is
// its own allocation, so a link used after its deletion is still caught.
#pragma once

#include <cstddef>

namespace vorlin {

class TLinkPool {
public:
    // Room for one object of blockSize bytes. The pool serves one size, that
    // of its first call (at most kLargestBlock); other sizes come from new.
    // Throws std::bad_alloc.
    static void* Take(size_t blockSize);
    static void Give(void* block, size_t blockSize) noexcept;

    static constexpr size_t kChunkBytes = size_t(2) << 20;
    static constexpr size_t kLargestBlock = 4096;
};

} // namespace vorlin
