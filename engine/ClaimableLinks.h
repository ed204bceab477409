// The links a run may still claim, in the order of the link list, so that a
// claim finds "the first unclaimed link of the list" without walking the
// claimed ones. New links and links given back enter it; a claim takes the
// first one out.
//
// Links only ever enter the list and never change their order relative to
// each other while a run lasts, so their positions (IndexOf) order the set
// consistently. Taking the first link costs amortised O(1); adding a link at
// either end of the set a few position queries (O(log n) each), elsewhere
// O(log n) of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

namespace vorlin {

class TDownloadLink;
class TDownloadLinks;

class TClaimableLinks {
public:
    explicit TClaimableLinks(const TDownloadLinks& list) : FSet(TByListOrder{&list}) {}

    // Adds a link of the list; nothing when it is in already.
    void Add(TDownloadLink* link);
    // A scan covers the links that were in the set when it began: the value
    // to hand to TakeFirst during that scan.
    uint64_t BeginScan() const { return FNextSerial; }
    // Takes out the first link (in list order) that entered before the scan
    // began; null when there is none.
    TDownloadLink* TakeFirst(uint64_t scan);
    bool Contains(TDownloadLink* link) const;
    size_t Count() const { return FSet.size(); }
    void Clear() { FSet.clear(); }

private:
    struct TEntry {
        TDownloadLink* Link;
        uint64_t Serial;  // order of entering, for the scan's cut-off
    };
    struct TByListOrder {
        using is_transparent = void;
        const TDownloadLinks* List;
        bool operator()(const TEntry& a, const TEntry& b) const;
        // Against a position in the list.
        bool operator()(const TEntry& a, size_t position) const;
        bool operator()(size_t position, const TEntry& b) const;
    };

    std::set<TEntry, TByListOrder> FSet;
    uint64_t FNextSerial = 0;
};

} // namespace vorlin
