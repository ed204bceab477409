#include "links/PageReferenceIndex.h"

#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"

namespace vorlin {

bool TPageReferenceIndex::IsReferrer(const TDownloadLinks& links, TDownloadLink& page,
                                     const TDownloadLink& link) {
    TEntry& entry = EntryFor(links, page);
    CatchUp(entry);
    return entry.Links.count(&link) != 0;
}

void TPageReferenceIndex::Clear() {
    for (TEntry& entry : FEntries) entry = TEntry{};
}

TPageReferenceIndex::TEntry& TPageReferenceIndex::EntryFor(const TDownloadLinks& links,
                                                           TDownloadLink& page) {
    // The twin is looked up anew every time, so that the index never touches
    // a link that left the list.
    std::string url = page.FullURL();
    std::string twinURL =
        !url.empty() && url.back() == '/' ? url.substr(0, url.size() - 1) : url + "/";
    TDownloadLink* twin = nullptr;
    if (!links.AlreadyFound(twinURL, twin) || twin == &page) twin = nullptr;

    TEntry* oldest = &FEntries[0];
    for (TEntry& entry : FEntries) {
        if (entry.Page == &page && entry.URL == url && entry.Twin == twin) {
            entry.LastUse = ++FClock;
            return entry;
        }
        if (entry.LastUse < oldest->LastUse) oldest = &entry;
    }
    TEntry& entry = *oldest;
    entry = TEntry{};
    entry.Page = &page;
    entry.Twin = twin;
    entry.URL = url;
    entry.LastUse = ++FClock;
    entry.Sources.push_back({&page, 0});
    if (twin) entry.Sources.push_back({twin, 0});
    return entry;
}

void TPageReferenceIndex::CatchUp(TEntry& entry) {
    bool shrunk = false;
    for (const TSource& source : entry.Sources)
        shrunk = shrunk || source.Page->References.size() < source.Indexed;
    if (shrunk) {
        // References were removed behind our back: index them anew.
        entry.Links.clear();
        for (TSource& source : entry.Sources) source.Indexed = 0;
    }
    for (TSource& source : entry.Sources) {
        const std::vector<TDownloadLink*>& references = source.Page->References;
        for (; source.Indexed < references.size(); ++source.Indexed)
            entry.Links.insert(references[source.Indexed]);
    }
}

} // namespace vorlin
