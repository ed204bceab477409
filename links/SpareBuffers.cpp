#include "links/SpareBuffers.h"

#include <bit>

namespace vorlin {

std::string TSpareBuffers::Take(size_t bytes) {
    // The class whose every buffer holds bytes: 2^k >= bytes.
    const unsigned wanted = bytes <= 1 ? 0u : static_cast<unsigned>(std::bit_width(bytes - 1));
    std::string buffer;
    if (wanted > kLargestClass) {
        buffer.reserve(bytes);
        return buffer;
    }
    const unsigned k = wanted < kSmallestClass ? kSmallestClass : wanted;
    std::vector<std::string>& spares = FClasses[k - kSmallestClass];
    if (spares.empty()) {
        buffer.reserve(size_t{1} << k);
        return buffer;
    }
    buffer = std::move(spares.back());
    spares.pop_back();
    FRoom -= buffer.capacity();
    return buffer;
}

void TSpareBuffers::Give(std::string&& buffer) {
    const size_t room = buffer.capacity();
    if (!KeepsRoom(room) || FRoom + room > FMaxRoom) return;
    // The class whose least room this buffer has: 2^k <= room.
    const unsigned k = static_cast<unsigned>(std::bit_width(room)) - 1;
    buffer.clear();
    FRoom += room;
    FClasses[k - kSmallestClass].push_back(std::move(buffer));
}

} // namespace vorlin
