// Written buffers kept for the next pages, so that a page's copy on its way
// to the store's thread costs no allocation on the run's thread and no free
// on the store's: handing memory across threads made the allocator
// consolidate and grow its heap for nearly every page.
// Buffers are kept by room in powers of two, so that taking one that fits
// costs no search: a buffer of class k holds at least 2^k bytes. Not locked:
// the owner's lock guards it.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace vorlin {

class TSpareBuffers {
public:
    // Keeps buffers of maxRoom together at most.
    explicit TSpareBuffers(size_t maxRoom) : FMaxRoom(maxRoom) {}

    // An empty buffer of at least bytes of room: a spare one, else a new one
    // with the room of its class (so that it can go back to that class).
    std::string Take(size_t bytes);
    // Keeps buffer, emptied, while there is room for it; else lets it go.
    void Give(std::string&& buffer);
    size_t Room() const { return FRoom; }
    // Whether a buffer of this room falls in a class that is kept.
    static bool KeepsRoom(size_t room) {
        return room >= (size_t{1} << kSmallestClass) && room < (size_t{1} << (kLargestClass + 1));
    }

    // Classes from 1 KB to 256 KB; other buffers are not kept.
    static constexpr unsigned kSmallestClass = 10;
    static constexpr unsigned kLargestClass = 18;

private:
    std::array<std::vector<std::string>, kLargestClass - kSmallestClass + 1> FClasses;
    size_t FRoom = 0;
    size_t FMaxRoom;
};

} // namespace vorlin
