#include "project/LinkStateList.h"

#include "platform/Exception.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"

namespace vorlin {

TLinkStateList::~TLinkStateList() { Clear(); }

size_t TLinkStateList::LinkHash(const TDownloadLink* link) {
    uint64_t key = reinterpret_cast<uintptr_t>(link) >> 4;
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 17);
}

TLinkStateList::TEntry* TLinkStateList::NewEntry() {
    if (FFreeEntries) {
        TEntry* entry = FFreeEntries;
        FFreeEntries = entry->Hook.Left;
        *entry = TEntry{};
        return entry;
    }
    if (FUsedInChunk == kChunk) {
        FChunks.push_back(std::make_unique<TEntry[]>(kChunk));
        FUsedInChunk = 0;
    }
    return &FChunks.back()[FUsedInChunk++];
}

void TLinkStateList::FreeEntry(TEntry* entry) {
    *entry = TEntry{};
    entry->Hook.Left = FFreeEntries;
    FFreeEntries = entry;
}

int TLinkStateList::Add(TDownloadLink* link) {
    if (!link) throw Exception("Cannot add a null link to a link state list");
    TEntry* entry = NewEntry();
    entry->Link = link;
    try {
        FEntries.Insert(entry);
    } catch (...) {
        FreeEntry(entry);
        throw;
    }
    int index = Count();
    FOrder.PushBack(entry);
    link->State = FState;
    if (OnChange) OnChange(link);
    return index;
}

bool TLinkStateList::Contains(const TDownloadLink* link) const {
    return FEntries.Find(LinkHash(link), [link](const TEntry* e) { return e->Link == link; }) != nullptr;
}

TLinkStateList::TEntry* TLinkStateList::FirstEntryOf(const TDownloadLink* link) const {
    TEntry* first = nullptr;
    size_t firstIndex = 0;
    FEntries.ForEachUnder(LinkHash(link), [&](TEntry* entry) {
        if (entry->Link != link) return;
        size_t index = FOrder.IndexOf(entry);
        if (!first || index < firstIndex) {
            first = entry;
            firstIndex = index;
        }
    });
    return first;
}

void TLinkStateList::Erase(TEntry* entry) {
    FEntries.Erase(entry);
    FOrder.Erase(entry);
    FreeEntry(entry);
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
    FEntries.Clear();
    FOrder.Clear([](TEntry*) {});
    FChunks.clear();
    FUsedInChunk = kChunk;
    FFreeEntries = nullptr;
}

} // namespace vorlin
