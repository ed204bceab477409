#include "project/LocalNameIndex.h"

#include "project/DownloadLink.h"

#include <cstdint>
#include <functional>

namespace vorlin {

size_t TLocalNameIndex::KeyOf(std::string_view server, std::string_view name) {
    size_t a = std::hash<std::string_view>()(server);
    size_t b = std::hash<std::string_view>()(name);
    // 32 bits, as the link keeps it.
    return static_cast<uint32_t>(a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2)));
}

size_t TLocalNameIndex::HashOf(const TDownloadLink* link) { return link->FLocalNameHash; }

void TLocalNameIndex::Add(TDownloadLink& link) {
    link.FLocalNameHash = KeyOf(link.Server(), link.LocalFileName);
    FLinks.Insert(&link);
}

void TLocalNameIndex::Remove(TDownloadLink& link) { FLinks.Erase(&link); }

bool TLocalNameIndex::Contains(std::string_view server, std::string_view name) const {
    return FLinks.Find(KeyOf(server, name), [&](const TDownloadLink* link) {
        return link->Server() == server && link->LocalFileName == name;
    }) != nullptr;
}

} // namespace vorlin
