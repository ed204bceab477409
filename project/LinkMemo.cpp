#include "project/LinkMemo.h"

#include <functional>

namespace vorlin {

uint64_t TLinkMemo::HashOf(std::string_view context, std::string_view text) {
    const uint64_t a = std::hash<std::string_view>()(context), b = std::hash<std::string_view>()(text);
    return a ^ (b * 0x9E3779B97F4A7C15ull);
}

TDownloadLink* TLinkMemo::Find(std::string_view context, std::string_view text, std::string_view& fragment) const {
    if (!FPlaces) return nullptr;
    const uint64_t hash = HashOf(context, text);
    const TPlace& place = FPlaces[hash % kPlaces];
    if (!place.Link || place.Hash != hash || place.ContextLength != context.size() ||
        place.Key.size() != context.size() + text.size() ||
        std::string_view(place.Key).substr(0, context.size()) != context ||
        std::string_view(place.Key).substr(context.size()) != text)
        return nullptr;
    fragment = place.Fragment;
    return place.Link;
}

void TLinkMemo::Remember(std::string_view context, std::string_view text, TDownloadLink* link,
                         std::string_view fragment) {
    if (!FPlaces) FPlaces = std::make_unique<TPlace[]>(kPlaces);
    const uint64_t hash = HashOf(context, text);
    TPlace& place = FPlaces[hash % kPlaces];
    place.Hash = hash;
    place.Link = link;
    place.ContextLength = context.size();
    place.Key.assign(context).append(text);
    place.Fragment.assign(fragment);
}

} // namespace vorlin
