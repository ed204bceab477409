#include "project/LinkStateList.h"

#include "platform/Exception.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"

namespace vorlin {

TLinkStateList::~TLinkStateList() { Clear(); }

int TLinkStateList::Add(TDownloadLink* link) {
    if (!link) throw Exception("Cannot add a null link to a link state list");
    auto entry = std::make_unique<TEntry>();
    entry->Link = link;
    FEntries.emplace(link, entry.get());
    int index = Count();
    FOrder.PushBack(entry.release());
    link->State = FState;
    if (OnChange) OnChange(link);
    return index;
}

TLinkStateList::TEntry* TLinkStateList::FirstEntryOf(const TDownloadLink* link) const {
    auto [from, to] = FEntries.equal_range(link);
    TEntry* first = nullptr;
    size_t firstIndex = 0;
    for (auto it = from; it != to; ++it) {
        size_t index = FOrder.IndexOf(it->second);
        if (!first || index < firstIndex) {
            first = it->second;
            firstIndex = index;
        }
    }
    return first;
}

void TLinkStateList::Erase(TEntry* entry) {
    auto [from, to] = FEntries.equal_range(entry->Link);
    for (auto it = from; it != to; ++it) {
        if (it->second == entry) {
            FEntries.erase(it);
            break;
        }
    }
    FOrder.Erase(entry);
    delete entry;
}

void TLinkStateList::Delete(int index) {
    TEntry* entry = index < 0 ? nullptr : FOrder.At(static_cast<size_t>(index));
    if (!entry) throw Exception(Format("List index out of bounds (%d)", index));
    if (OnChange) OnChange(entry->Link);
    Erase(entry);
}

int TLinkStateList::Remove(TDownloadLink* link) {
    TEntry* entry = FirstEntryOf(link);
    if (!entry) return -1;
    int index = static_cast<int>(FOrder.IndexOf(entry));
    if (OnChange) OnChange(link);
    Erase(entry);
    return index;
}

int TLinkStateList::IndexOf(const TDownloadLink* link) const {
    TEntry* entry = FirstEntryOf(link);
    return entry ? static_cast<int>(FOrder.IndexOf(entry)) : -1;
}

TDownloadLink* TLinkStateList::Items(int index) const {
    TEntry* entry = index < 0 ? nullptr : FOrder.At(static_cast<size_t>(index));
    if (!entry) throw Exception(Format("List index out of bounds (%d)", index));
    return entry->Link;
}

void TLinkStateList::Clear() {
    FEntries.clear();
    FOrder.Clear([](TEntry* entry) { delete entry; });
}

} // namespace vorlin
