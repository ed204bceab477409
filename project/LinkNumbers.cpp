#include "project/LinkNumbers.h"

#include "project/DownloadLinks.h"

#include <bit>

namespace vorlin {

TLinkNumbers::TLinkNumbers(const TDownloadLinks& links) {
    // At most half full, so that a miss ends after a probe or two.
    const size_t size = std::bit_ceil(static_cast<size_t>(links.Count()) * 2 + 2);
    FEntries.resize(size);
    FMask = size - 1;
    FShift = 64 - std::countr_zero(size);
    int32_t index = 0;
    for (const TDownloadLink* link : links) {
        size_t i = SlotOf(link);
        while (FEntries[i].Link) i = (i + 1) & FMask;
        FEntries[i] = TEntry{link, index++};
    }
}

} // namespace vorlin
