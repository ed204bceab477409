#include "links/UrlHelpers.h"

#include "platform/StringUtils.h"

#include <algorithm>

namespace vorlin {

int PosOfNth(std::string_view sub, std::string_view text, int n) {
    if (n == 0 || sub.empty()) return 0;
    if (n > 0) {
        int found = 0;
        size_t from = 0;
        while (found < n) {
            size_t p = text.find(sub, from);
            if (p == std::string_view::npos)
                return static_cast<int>(text.size()) + (n - found);
            ++found;
            if (found == n) return static_cast<int>(p) + 1;
            from = p + 1;
        }
        return 0;
    }
    // From the right, each occurrence ending before the previous one starts.
    int wanted = -n;
    size_t end = text.size();
    for (int found = 0; found < wanted;) {
        if (end < sub.size()) return 0;
        size_t p = text.rfind(sub, end - sub.size());
        if (p == std::string_view::npos) return 0;
        if (++found == wanted) return static_cast<int>(p) + 1;
        end = p;
    }
    return 0;
}

TURLParts SplitURL(const std::string& url) {
    TURLParts r;
    if (url.empty()) return r;
    std::string rest;
    size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        r.Proto = url.substr(0, scheme);
        rest = url.substr(scheme + 3);
    } else if (url[0] == '/') {
        r.Proto = "http";
        if (url.compare(0, 2, "//") != 0) {
            r.Path = url;
            return r;
        }
        rest = url.substr(2);
    } else if (StartsText("http:", url)) {
        r.Proto = "http";
        if (url.size() > 6 && url[6] != '/') {
            r.Path = url.substr(5);
            return r;
        }
        rest = url.size() > 7 ? url.substr(7) : std::string();
    } else if (StartsText("mailto:", url)) {
        r.Proto = "mailto";
        rest = url.substr(url.find(':') + 1);
    } else {
        rest = url;
    }

    size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    if (slash != std::string::npos) r.Path = rest.substr(slash);

    int colon = PosOfNth(":", authority, -1);
    int at = PosOfNth("@", authority, -1);
    if (colon == 0 && at == 0) {
        r.Host = authority;
    } else if (colon > at) {
        r.Port = authority.substr(static_cast<size_t>(colon));
        r.Host = authority.substr(static_cast<size_t>(at), static_cast<size_t>(colon - at - 1));
    } else {
        r.Host = authority.substr(static_cast<size_t>(at));
    }
    if (at > 0) {
        std::string credentials = authority.substr(0, static_cast<size_t>(at - 1));
        size_t c = credentials.find(':');
        r.User = credentials.substr(0, c);
        if (c != std::string::npos) r.Password = credentials.substr(c + 1);
    }
    return r;
}

std::string AppendIfMissing(std::string text, char ch) {
    if (!text.empty() && text.back() != ch) text += ch;
    return text;
}

std::string DomainOfRoot(const std::string& root) {
    int second = PosOfNth("/", root, 2);
    int third = PosOfNth("/", root, 3);
    std::string host;
    if (second <= static_cast<int>(root.size()))
        host = root.substr(static_cast<size_t>(second),
                           static_cast<size_t>(std::max(0, third - second - 1)));
    int dot = PosOfNth(".", host, -2);
    return host.substr(static_cast<size_t>(dot));
}

// The remaining helpers follow.

} // namespace vorlin
