#include "engine/ClaimableLinks.h"

#include "project/DownloadLinks.h"

#include <iterator>

namespace vorlin {

namespace {

size_t PositionOf(const TDownloadLinks& list, const TDownloadLink* link) {
    return static_cast<size_t>(list.IndexOf(link));
}

} // namespace

bool TClaimableLinks::TByListOrder::operator()(const TEntry& a, const TEntry& b) const {
    return a.Link != b.Link && PositionOf(*List, a.Link) < PositionOf(*List, b.Link);
}

bool TClaimableLinks::TByListOrder::operator()(const TEntry& a, size_t position) const {
    return PositionOf(*List, a.Link) < position;
}

bool TClaimableLinks::TByListOrder::operator()(size_t position, const TEntry& b) const {
    return position < PositionOf(*List, b.Link);
}

void TClaimableLinks::Add(TDownloadLink* link) {
    const TDownloadLinks& list = *FSet.key_comp().List;
    int index = list.IndexOf(link);
    if (index < 0) return;
    size_t position = static_cast<size_t>(index);
    TEntry entry{link, FNextSerial};
    // Pages are appended to the list: their place is almost always the end.
    // A page's other links go right after it, and the page was the first
    // claimable link when it was claimed: their place is almost always the
    // front. Anything else is looked up.
    auto place = FSet.end();
    if (!FSet.empty() && PositionOf(list, std::prev(FSet.end())->Link) >= position) {
        if (PositionOf(list, FSet.begin()->Link) > position)
            place = FSet.begin();
        else
            place = FSet.lower_bound(position);
    }
    if (place != FSet.end() && place->Link == link) return;
    FSet.emplace_hint(place, entry);
    ++FNextSerial;
}

TDownloadLink* TClaimableLinks::TakeFirst(uint64_t scan) {
    for (auto it = FSet.begin(); it != FSet.end(); ++it) {
        if (it->Serial >= scan) continue;
        TDownloadLink* link = it->Link;
        FSet.erase(it);
        return link;
    }
    return nullptr;
}

bool TClaimableLinks::Contains(TDownloadLink* link) const {
    const TDownloadLinks& list = *FSet.key_comp().List;
    int index = list.IndexOf(link);
    if (index < 0) return false;
    auto it = FSet.find(static_cast<size_t>(index));
    return it != FSet.end() && it->Link == link;
}

} // namespace vorlin
