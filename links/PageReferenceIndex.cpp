#include "links/PageReferenceIndex.h"

#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"

namespace vorlin {

bool TPageReferenceIndex::IsReferrer(const TDownloadLinks& links, TDownloadLink& page,
                                     const TDownloadLink& link) {
    TEntry& entry = EntryFor(links, page);
    CatchUp(entry);
    return Contains(entry, &link);
}

TDownloadLink* TPageReferenceIndex::FindUnfiled(const TDownloadLinks& links, TDownloadLink& page,
                                                const std::string& url) {
    TEntry& entry = EntryFor(links, page);
    CatchUp(entry);
    auto it = entry.Unfiled.find(url);
    return it == entry.Unfiled.end() ? nullptr : it->second;
}

size_t TPageReferenceIndex::AddressHash(const TDownloadLink* link) {
    // Links are aligned, so the low bits of the address say little; the
    // multiplication carries the others into the bits the table uses.
    uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(link)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

bool TPageReferenceIndex::Contains(const TEntry& entry, const TDownloadLink* link) {
    return entry.Links.Find(AddressHash(link), [link](const TDownloadLink* l) { return l == link; }) !=
           nullptr;
}

void TPageReferenceIndex::Restart(TEntry& entry, TDownloadLink& page) {
    entry.Page = &page;
    entry.Twin = nullptr;
    entry.URL.assign(page.Server()).append(page.Path);
    entry.TwinURL.clear();
    entry.Sources.clear();
    entry.Links.Clear();
    entry.Unfiled.clear();
    entry.LastUse = 0;
    entry.ListCount = 0;
    entry.Generation = 0;
}

void TPageReferenceIndex::Clear() {
    for (TEntry& entry : FEntries)
        entry = TEntry{};
}

namespace {

bool IsURLOf(const std::string& url, const TDownloadLink& link) {
    return url.size() == link.Server().size() + link.Path.size() &&
           url.compare(0, link.Server().size(), link.Server()) == 0 &&
           url.compare(link.Server().size(), std::string::npos, link.Path) == 0;
}

TDownloadLink* FindTwin(const TDownloadLinks& links, const std::string& twinURL,
                        const TDownloadLink& page) {
    TDownloadLink* twin = nullptr;
    if (!links.AlreadyFound(twinURL, twin) || twin == &page) return nullptr;
    return twin;
}

} // namespace

TPageReferenceIndex::TEntry& TPageReferenceIndex::EntryFor(const TDownloadLinks& links,
                                                           TDownloadLink& page) {
    // The twin is looked up anew every time, so that the index never touches
    // a link that left the list.
    TEntry* oldest = &FEntries[0];
    for (TEntry& entry : FEntries) {
        if (entry.Page == &page && IsURLOf(entry.URL, page)) {
            // A shorter list was cleared since: what the entry knows is gone.
            // Without a link filed or a clear since the last look, the twin
            // is still the one found then.
            if (links.Generation() != entry.Generation &&
                (links.Count() < entry.ListCount || FindTwin(links, entry.TwinURL, page) != entry.Twin))
                break;
            entry.LastUse = ++FClock;
            entry.ListCount = links.Count();
            entry.Generation = links.Generation();
            return entry;
        }
        if (entry.LastUse < oldest->LastUse) oldest = &entry;
    }
    for (TEntry& entry : FEntries)
        if (entry.Page == &page) oldest = &entry; // replace a stale entry of this page

    TEntry& entry = *oldest;
    Restart(entry, page);
    if (!entry.URL.empty() && entry.URL.back() == '/')
        entry.TwinURL.assign(entry.URL, 0, entry.URL.size() - 1);
    else
        entry.TwinURL.assign(entry.URL).append(1, '/');
    entry.Twin = FindTwin(links, entry.TwinURL, page);
    entry.Generation = links.Generation();
    entry.LastUse = ++FClock;
    entry.ListCount = links.Count();
    entry.Sources.push_back({&page, 0});
    if (entry.Twin) entry.Sources.push_back({entry.Twin, 0});
    return entry;
}

void TPageReferenceIndex::CatchUp(TEntry& entry) {
    bool shrunk = false;
    for (const TSource& source : entry.Sources)
        shrunk = shrunk || source.Page->References.size() < source.Indexed;
    if (shrunk) {
        // References were removed behind our back: index them anew.
        entry.Links.Clear();
        entry.Unfiled.clear();
        for (TSource& source : entry.Sources)
            source.Indexed = 0;
    }
    for (TSource& source : entry.Sources) {
        const std::vector<TDownloadLink*>& references = source.Page->References;
        for (; source.Indexed < references.size(); ++source.Indexed) {
            TDownloadLink* reference = references[source.Indexed];
            if (!Contains(entry, reference)) entry.Links.Insert(reference);
            if (!reference->TreeNode) entry.Unfiled.emplace(reference->FullURL(), reference);
        }
    }
}

} // namespace vorlin
