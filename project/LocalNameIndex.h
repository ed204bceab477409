// Which local names are taken on which server root: the question that
// shortening a long local name asks up to a thousand times per link. Links
// are filed by a hash of (Server, LocalFileName); the hash each link was filed
// under is kept in the link, so a link whose fields changed unannounced can
// still be taken out, and an answer is always checked against the live fields.
#pragma once

#include "project/PointerHashTable.h"

#include <cstddef>
#include <string_view>

namespace vorlin {

class TDownloadLink;

class TLocalNameIndex {
public:
    void Add(TDownloadLink& link);
    void Remove(TDownloadLink& link);
    bool Contains(std::string_view server, std::string_view name) const;
    void Clear() { FLinks.Clear(); }

private:
    static size_t KeyOf(std::string_view server, std::string_view name);
    static size_t HashOf(const TDownloadLink* link);

    TPointerHashTable<TDownloadLink, &TLocalNameIndex::HashOf> FLinks;
};

} // namespace vorlin
