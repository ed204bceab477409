// Answers the question AddLink asks for every link it finds on a page: is
// the page already among the link's referrers? A page counts as the same
// when its URL differs from the referrer's only by a trailing "/". Popular
// links (a logo on every page) have thousands of referrers and long pages
// have thousands of references, so neither list is scanned: the index keeps
// a hash set of what a few recent pages reference, and catches up with
// references appended since it last looked.
#pragma once

#include "project/PointerHashTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadLinks;

class TPageReferenceIndex {
  public:
    // True when link lists page, or page's twin with or without a trailing
    // "/" (looked up in links), among its referrers. Relies on References
    // and Referrers being kept as mirror images, as the link list does.
    bool IsReferrer(const TDownloadLinks& links, TDownloadLink& page, const TDownloadLink& link);
    // The link among page's references whose full URL is url and which the
    // URL tree cannot find (mailto:, #top and other texts without "/"), so
    // that a page parsed again does not add such links once more.
    TDownloadLink* FindUnfiled(const TDownloadLinks& links, TDownloadLink& page,
                               const std::string& url);
    // Forgets every page (the link list was cleared or reloaded).
    void Clear();

  private:
    static size_t AddressHash(const TDownloadLink* link);

    struct TSource {
        TDownloadLink* Page;
        size_t Indexed; // how many of its References are in the set
    };
    struct TEntry {
        TDownloadLink* Page = nullptr;
        TDownloadLink* Twin = nullptr;
        std::string URL; // guards against a freed page's address reused
        std::string TwinURL;
        std::vector<TSource> Sources;
        // Each reference once; a flat table, as every page fills one anew.
        TPointerHashTable<const TDownloadLink, &TPageReferenceIndex::AddressHash> Links;
        std::unordered_map<std::string, TDownloadLink*> Unfiled;
        uint64_t LastUse = 0;
        int ListCount = 0; // length of the link list when last used
        uint64_t Generation = 0; // of the link list when the twin was last looked up
    };

    static bool Contains(const TEntry& entry, const TDownloadLink* link);
    // Makes entry the empty one of page, keeping the storage of its strings.
    static void Restart(TEntry& entry, TDownloadLink& page);
    TEntry& EntryFor(const TDownloadLinks& links, TDownloadLink& page);
    static void CatchUp(TEntry& entry);

    std::array<TEntry, 4> FEntries;
    uint64_t FClock = 0;
};

} // namespace vorlin
