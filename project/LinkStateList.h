// The links of a run in their two final states: TDownloadedList (stored,
// taken by a plugin, or unchanged on the server) and TFilteredOutList
// (refused or failed). Adding a link sets its State and notifies; deleting
// notifies first and then removes. The lists do not own their links.
// Order is the order of adding; position and membership queries cost
// O(log n) and O(1), since a run removes links again while it runs.
#pragma once

#include "links/LinkTypes.h"
#include "project/LinkIterator.h"
#include "project/OrderTree.h"
#include "project/PointerHashTable.h"

#include <functional>
#include <memory>
#include <vector>

namespace vorlin {

class TDownloadLink;

class TLinkStateList {
public:
    using TOnChange = std::function<void(TDownloadLink* link)>;

    explicit TLinkStateList(TLinkState state) : FState(state) {}
    virtual ~TLinkStateList();
    TLinkStateList(const TLinkStateList&) = delete;
    TLinkStateList& operator=(const TLinkStateList&) = delete;

    // Appends the link, sets its State, notifies; returns its index.
    int Add(TDownloadLink* link);
    // Notifies with the link, then removes it. Throws Exception
    // "List index out of bounds (%d)".
    void Delete(int index);
    // Deletes the first entry of the link; its former index, or -1.
    int Remove(TDownloadLink* link);
    // Index of the first entry of the link, or -1.
    int IndexOf(const TDownloadLink* link) const;
    bool Contains(const TDownloadLink* link) const;
    int Count() const { return static_cast<int>(FOrder.Count()); }
    TDownloadLink* Items(int index) const;
    TDownloadLink* operator[](int index) const { return Items(index); }
    // Empties the list without notifying.
    void Clear();

    TOnChange OnChange;

    struct TEntry {
        TDownloadLink* Link = nullptr;
        TOrderHook<TEntry> Hook;
    };
    using TEntryOrder = TOrderTree<TEntry, &TEntry::Hook>;

    static TDownloadLink* LinkOf(TEntry* entry) { return entry->Link; }
    static TEntry* NextEntry(TEntry* entry) { return TEntryOrder::Next(entry); }
    using iterator = TLinkIterator<TEntry*, &TLinkStateList::LinkOf, &TLinkStateList::NextEntry>;
    iterator begin() const { return iterator(FOrder.First()); }
    iterator end() const { return iterator(nullptr); }

private:
    TEntry* FirstEntryOf(const TDownloadLink* link) const;
    void Erase(TEntry* entry);
    TEntry* NewEntry();
    void FreeEntry(TEntry* entry);
    static size_t LinkHash(const TDownloadLink* link);
    static size_t EntryHash(const TEntry* entry) { return LinkHash(entry->Link); }

    // A run files every link here once: the entries come from chunks (one
    // allocation per thousand), freed ones are kept for the next, and the
    // entries of a link are found in a flat table by the link's address.
    static constexpr size_t kChunk = 1024;
    TLinkState FState;
    TEntryOrder FOrder;
    TPointerHashTable<TEntry, &TLinkStateList::EntryHash> FEntries;
    std::vector<std::unique_ptr<TEntry[]>> FChunks;
    size_t FUsedInChunk = kChunk;
    TEntry* FFreeEntries = nullptr;  // chained through Hook.Left
};

class TDownloadedList : public TLinkStateList {
public:
    TDownloadedList() : TLinkStateList(lsDownloaded) {}
};

class TFilteredOutList : public TLinkStateList {
public:
    TFilteredOutList() : TLinkStateList(lsFilteredOut) {}
};

} // namespace vorlin
