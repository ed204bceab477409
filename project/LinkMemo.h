// Which known link a text named in a context: the link parser resolves a
// reference against its page's directory and looks the address up in the
// URL tree, and a site names the same links from page after page (its
// navigation). Both steps are spared for a text met again in the same
// directory. A fixed number of places, each holding the last text filed
// there, so the memory stays the same however large the site.
//
// A link, once filed, is what its address finds until the list is cleared,
// so an answer stays right as long as the memo lives with the list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorlin {

class TDownloadLink;

class TLinkMemo {
public:
    static constexpr size_t kPlaces = 8192;

    // The link text named in context, with the fragment it had; null when
    // not remembered.
    TDownloadLink* Find(std::string_view context, std::string_view text, std::string_view& fragment) const;
    void Remember(std::string_view context, std::string_view text, TDownloadLink* link, std::string_view fragment);
    void Clear() { FPlaces.reset(); }

private:
    struct TPlace {
        uint64_t Hash = 0;
        TDownloadLink* Link = nullptr;
        size_t ContextLength = 0;
        std::string Key;  // context, then text
        std::string Fragment;
    };
    static uint64_t HashOf(std::string_view context, std::string_view text);

    std::unique_ptr<TPlace[]> FPlaces;  // made on the first Remember
};

} // namespace vorlin
