#include "project/LocalNameIndex.h"

#include "project/DownloadLink.h"

#include <functional>

namespace vorlin {

size_t TLocalNameIndex::KeyOf(std::string_view server, std::string_view name) {
    size_t a = std::hash<std::string_view>()(server);
    size_t b = std::hash<std::string_view>()(name);
    return a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
}

void TLocalNameIndex::Add(TDownloadLink& link) {
    link.FLocalNameHash = KeyOf(link.Server, link.LocalFileName);
    FLinks.emplace(link.FLocalNameHash, &link);
}

void TLocalNameIndex::Remove(TDownloadLink& link) {
    auto [from, to] = FLinks.equal_range(link.FLocalNameHash);
    for (auto it = from; it != to; ++it) {
        if (it->second == &link) {
            FLinks.erase(it);
            return;
        }
    }
}

bool TLocalNameIndex::Contains(std::string_view server, std::string_view name) const {
    auto [from, to] = FLinks.equal_range(KeyOf(server, name));
    for (auto it = from; it != to; ++it)
        if (it->second->Server == server && it->second->LocalFileName == name) return true;
    return false;
}

} // namespace vorlin
