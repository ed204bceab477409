// The position of every link of a list, looked up by the link: what the link
// data file stores for each reference. Built once per save by one walk of the
// list, so that each of the (many) references costs one probe of a flat
// table instead of a search through the list's leaves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadLinks;

class TLinkNumbers {
public:
    explicit TLinkNumbers(const TDownloadLinks& links);

    // The link's position in the list, or -1 for a link not in it.
    int32_t IndexOf(const TDownloadLink* link) const {
        if (!link) return -1;
        for (size_t i = SlotOf(link);; i = (i + 1) & FMask) {
            const TEntry& e = FEntries[i];
            if (e.Link == link) return e.Index;
            if (!e.Link) return -1;
        }
    }

private:
    struct TEntry {
        const TDownloadLink* Link = nullptr;
        int32_t Index = -1;
    };
    size_t SlotOf(const TDownloadLink* link) const {
        // Links are heap objects: the low bits say nothing, the high bits
        // mixed in by the multiplication spread them.
        uint64_t key = reinterpret_cast<uintptr_t>(link) >> 4;
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> FShift) & FMask;
    }

    std::vector<TEntry> FEntries;
    size_t FMask = 0;
    int FShift = 0;
};

} // namespace vorlin
