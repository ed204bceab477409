#include "links/ReferenceText.h"

#include "links/LocalNames.h"
#include "project/DownloadLink.h"

namespace vorlin {

namespace {

// A table, since this is asked for every character of every rewritten link.
struct TSafeInLocalReferenceTable {
    bool Safe[256] = {};
    constexpr TSafeInLocalReferenceTable() {
        for (int c = 0; c < 256; ++c)
            Safe[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::string_view("-._~/!$*+,;=@").find(static_cast<char>(c)) != std::string_view::npos;
    }
};
constexpr TSafeInLocalReferenceTable kSafeInLocalReference;

const char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Text of an address made safe for the container: the characters that an
// encoded URL may still hold and that would end or change the value.
std::string SafeInContainer(std::string_view text, TReferenceContainer container) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (container == TReferenceContainer::rcHtml) {
            if (c == '&')
                out += "&amp;";
            else if (c == '\'')
                out += "&#39;";
            else if (c == '"')
                out += "&quot;";
            else
                out += c;
        } else if (c == '\'' || c == '"' || c == '(' || c == ')' || c == '\\' ||
                   static_cast<unsigned char>(c) <= ' ') {
            AppendEscaped(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string EncodeLocalReference(std::string path) {
    // Most stored names need no escape: then the path is the answer.
    size_t first = 0;
    while (first < path.size() && kSafeInLocalReference.Safe[static_cast<unsigned char>(path[first])]) ++first;
    if (first == path.size()) return path;
    std::string out;
    out.reserve(path.size() + 8);
    out.append(path, 0, first);
    for (size_t i = first; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (kSafeInLocalReference.Safe[c])
            out += static_cast<char>(c);
        else
            AppendEscaped(out, c);
    }
    return out;
}

std::string LocalReferenceText(const TDownloadLink& page, const TDownloadLink& target) {
    return EncodeLocalReference(RelativeLocalPath(page, target.LocalDir(), target.LocalFileName));
}

std::string LocalReferenceText(const TDownloadLink& page, const std::string& targetLocalDir,
                               const std::string& targetLocalFileName) {
    return EncodeLocalReference(RelativeLocalPath(page, targetLocalDir, targetLocalFileName));
}

std::string FragmentText(std::string_view fragment, TReferenceContainer container) {
    return SafeInContainer(fragment, container);
}

std::string AbsoluteReferenceText(const TDownloadLink& target, TReferenceContainer container) {
    return SafeInContainer(target.FullURL(), container);
}

} // namespace vorlin
