#include "links/UrlHelpers.h"

#include "platform/Exception.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <cstdint>

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
    // An IPv6 literal ("[::1]") holds colons of its own: only one after its
    // "]" starts a port.
    int bracket = PosOfNth("]", authority, -1);
    if (bracket > at && colon < bracket) colon = 0;
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

TLinkKind ClassifyLink(std::string_view text, bool* absolute) {
    TLinkKind kind;
    // https is of the http family: fetched, rewritten and stored alike.
    if (StartsText("HTTP://", text) || StartsText("HTTPS://", text))
        kind = lkHttp;
    else if (StartsText("FTP://", text))
        kind = lkFtp;
    else if (StartsText("MAILTO:", text))
        kind = lkMailto;
    else if (StartsText("JAVASCRIPT:", text))
        kind = lkJavaScript;
    else {
        size_t colon = text.find(':');
        size_t question = text.find('?');
        bool relative = colon == std::string_view::npos ||
                        (question != std::string_view::npos && colon >= question);
        if (!relative)
            kind = lkOtherScheme;
        else
            kind = !text.empty() && text[0] == '#' ? lkAnchor : lkRelative;
    }
    if (absolute) *absolute = kind != lkRelative;
    return kind;
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

char UpperHexDigit(char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The characters a URL keeps as they are (of 32..127, all but the blank,
// the double quote, "%", ",", ";", "<", ">", "[", "]", "^", "`", "{", "|",
// "}", "~" and 127).
// A table, since this is asked for every character of every link.
struct TKeptInURLTable {
    bool Kept[256] = {};
    constexpr TKeptInURLTable() {
        for (int c = 33; c < 127; ++c)
            Kept[c] = std::string_view("\"%,;<>[]^`{|}~").find(static_cast<char>(c)) ==
                      std::string_view::npos;
    }
};
constexpr TKeptInURLTable kKeptInURL;

bool KeptInURL(unsigned char c) { return kKeptInURL.Kept[c]; }

// The characters a local file name can't hold.
bool InvalidInFileName(unsigned char c) {
    if (c < 32) return true;
    switch (c) {
    case '"': case '*': case ':': case '<': case '>': case '?': case '|':
        return true;
    default:
        return false;
    }
}

// Puts the replacement in place of the one character at i.
void ReplaceAt(std::string& text, size_t i, const std::string& replacement) {
    text.replace(i, 1, replacement);
}

} // namespace

namespace {

// An escape ("%" and two hexadecimal digits in either case) starts at i.
inline bool EscapeAt(std::string_view text, size_t i) {
    return text[i] == '%' && i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]);
}

// Where EncodeURL would first change the text (its size when nowhere): most
// link texts need no encoding, and their copy can be skipped. An escape in
// lower case is changed: its digits are written in upper case.
size_t FirstToEncode(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (KeptInURL(c)) continue;
        if (!EscapeAt(text, i) || !IsUpperHexDigit(text[i + 1]) || !IsUpperHexDigit(text[i + 2])) return i;
        i += 2;
    }
    return text.size();
}

} // namespace

namespace {

// Where an IPv6 literal host ("http://[::1]:8080/") ends (after its "]"),
// or 0 when the URL has none.
size_t IPv6LiteralEnd(std::string_view text) {
    const size_t scheme = text.find("://");
    if (scheme == std::string_view::npos || text.find('/') < scheme) return 0;
    if (scheme + 3 >= text.size() || text[scheme + 3] != '[') return 0;
    const size_t close = text.find(']', scheme + 3);
    if (close == std::string_view::npos || text.find('/', scheme + 3) < close) return 0;
    return close + 1;
}

} // namespace

std::string EncodeURL(std::string_view text) {
    // An IPv6 literal keeps its brackets, which would be escaped elsewhere.
    if (const size_t literal = IPv6LiteralEnd(text); literal != 0)
        return std::string(text.substr(0, literal)) + EncodeURL(text.substr(literal));
    const size_t first = FirstToEncode(text);
    std::string out;
    out.reserve(first == text.size() ? text.size() : text.size() + 8);
    out.append(text.substr(0, first));
    for (size_t i = first; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (EscapeAt(text, i)) {
            // An existing escape, written in either case (%c3%a9 is %C3%A9):
            // kept, its digits in upper case, so that both spellings of one
            // address are one link.
            out += '%';
            out += UpperHexDigit(text[i + 1]);
            out += UpperHexDigit(text[i + 2]);
            i += 2;
        } else if (KeptInURL(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 15];
        }
    }
    return out;
}

std::string HTTPDecode(std::string_view text) {
    // Built backwards: the text right of the scan position is the reverse
    // of what has been produced, so an escape whose digits come from a
    // decoded character to its right still sees them, while a "%" that
    // decoding produces is never looked at again.
    std::string reversed;
    reversed.reserve(text.size());
    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] != '%') {
            reversed += text[i];
            continue;
        }
        size_t n = reversed.size();
        int high = n >= 1 ? HexValue(reversed[n - 1]) : -1;
        int low = n >= 2 ? HexValue(reversed[n - 2]) : -1;
        if (high < 0 || low < 0) throw Exception(Format("Error HTTPDecoding %s", std::string(text)));
        reversed.resize(n - 2);
        reversed += static_cast<char>(high * 16 + low);
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

int HexToInt(std::string_view text) {
    uint32_t value = 0;  // wraps like the 32-bit original on overlong input
    for (char c : text) {
        int digit = HexValue(c);
        value = value * 16u + static_cast<uint32_t>(digit < 0 ? 0 : digit);
    }
    return static_cast<int>(value);
}

namespace {

// The pieces between separators, as views into text: a leading and a
// trailing separator make no empty piece, an empty text is one empty piece.
void SplitViews(std::string_view text, char separator, std::vector<std::string_view>& pieces) {
    pieces.clear();
    size_t first = text.find(separator);
    if (first == std::string_view::npos) {
        pieces.push_back(text);
        return;
    }
    if (first > 0) pieces.push_back(text.substr(0, first));
    size_t start = first + 1;
    for (;;) {
        size_t next = text.find(separator, start);
        if (next == std::string_view::npos) break;
        pieces.push_back(text.substr(start, next - start));
        start = next + 1;
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
}

} // namespace

std::vector<std::string> SplitString(std::string_view text, char separator) {
    std::vector<std::string_view> views;
    SplitViews(text, separator, views);
    return std::vector<std::string>(views.begin(), views.end());
}

namespace {

// Where a URL's query or fragment begins (npos without either): asked for
// every link of every page, so one pass, not a search per character.
size_t QueryOrFragmentStart(std::string_view url) {
    for (size_t i = 0; i < url.size(); ++i)
        if (url[i] == '?' || url[i] == '#') return i;
    return std::string_view::npos;
}

} // namespace

std::string_view ResolutionDirectory(std::string_view base) {
    // The base's own query and fragment name no directory: a "/" inside them
    // ("list.php?dir=a/b") must not count as the base's last.
    const std::string_view basePath = base.substr(0, QueryOrFragmentStart(base));
    size_t lastSlash = basePath.rfind('/');
    return lastSlash == std::string::npos ? std::string_view() : basePath.substr(0, lastSlash + 1);
}

std::string ResolveURL(const std::string& base, std::string_view ref) {
    const std::string_view dir = ResolutionDirectory(base);
    std::string encoded;
    std::string_view reference(ref);
    if (FirstToEncode(ref) != ref.size()) {
        encoded = EncodeURL(ref);
        reference = encoded;
    }
    // A query alone ("?page=2") asks the base document itself again.
    if (!reference.empty() && reference[0] == '?')
        return std::string(std::string_view(base).substr(0, QueryOrFragmentStart(base))).append(reference);

    if (reference.compare(0, 1, "/") != 0 && reference.compare(0, 2, "..") != 0) {
        std::string_view rest(reference);
        if (rest.compare(0, 2, "./") == 0) rest.remove_prefix(2);
        std::string result;
        result.reserve(dir.size() + rest.size());
        result.append(dir).append(rest);
        return result;
    }
    if (reference[0] == '/') {
        int third = PosOfNth("/", dir, 3);
        std::string_view root = dir.substr(0, static_cast<size_t>(third - 1));
        std::string result;
        result.reserve(root.size() + reference.size());
        result.append(root).append(reference);
        return result;
    }

    // Called for most links of a page: the pieces are views, in buffers kept
    // from call to call.
    thread_local std::vector<std::string_view> refPieces, basePieces;
    SplitViews(reference, '/', refPieces);
    SplitViews(dir, '/', basePieces);
    size_t ups = 0;
    while (ups < refPieces.size() && refPieces[ups] == "..") ++ups;
    // The scheme, the empty piece and the host are never dropped.
    size_t droppable = basePieces.size() > 3 ? basePieces.size() - 3 : 0;
    size_t dropped = std::min(ups, droppable);

    std::string result;
    result.reserve(dir.size() + reference.size());
    for (size_t i = 0; i + dropped < basePieces.size(); ++i) result.append(basePieces[i]) += '/';
    for (size_t i = ups; i + 1 < refPieces.size(); ++i) result.append(refPieces[i]) += '/';
    if (ups < refPieces.size()) result.append(refPieces.back());
    // A directory stays a directory: "../features/" names features/index.html,
    // not a file "features" (the split dropped the final "/").
    if (reference.back() == '/' && (result.empty() || result.back() != '/')) result += '/';
    return result;
}

std::string RightPart(std::string_view text, int count) {
    if (count <= 0) return std::string();
    size_t n = std::min(text.size(), static_cast<size_t>(count));
    return std::string(text.substr(text.size() - n));
}

std::string RemoveLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

std::string URLToLocalName(const std::string& path, const std::string& replacement,
                           bool convertSlashes, bool& invalid) {
    std::string result = path;
    invalid = false;
    // Walks from the last position to the first; after decoding an escape it
    // stays put, so that the decoded character is examined in its turn.
    size_t i = result.size();
    while (i > 0) {
        size_t at = i - 1;
        unsigned char c = static_cast<unsigned char>(result[at]);
        if (c == '%') {
            int code = HexToInt(std::string_view(result).substr(at + 1, 2));
            result.replace(at, std::min<size_t>(3, result.size() - at), 1,
                           static_cast<char>(code & 255));
            continue;
        }
        bool bad = InvalidInFileName(c);
        if (c == '/' || c == '\\') {
            if (c == '/' && convertSlashes) result[at] = '\\';
            // A doubled separator would make an empty directory name.
            if (at + 1 < result.size() && result[at + 1] == '\\') bad = true;
        }
        if (bad) {
            if (replacement.empty())
                invalid = true;
            else
                ReplaceAt(result, at, replacement);
        }
        --i;
    }
    return result;
}

std::string ReplaceInvalidFileChars(std::string_view text, const std::string& replacement) {
    std::string result(text);
    if (replacement.empty()) return result;
    for (size_t i = result.size(); i-- > 0;) {
        unsigned char c = static_cast<unsigned char>(result[i]);
        if (InvalidInFileName(c) || c == '/' || c == '\\') ReplaceAt(result, i, replacement);
    }
    return result;
}

std::string SlashToBackslash(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string BackslashToSlash(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

// --- Normal forms of addresses and local directories --------------------------

namespace {

// A path segment that stands for "." or ".." (dots may be escaped: %2E, %2e).
int DotSegmentKind(std::string_view segment) {
    int dots = 0;
    for (size_t i = 0; i < segment.size();) {
        if (segment[i] == '.') {
            ++i;
        } else if (segment.size() - i >= 3 && segment[i] == '%' && segment[i + 1] == '2' &&
                   (segment[i + 2] == 'E' || segment[i + 2] == 'e')) {
            i += 3;
        } else {
            return 0;
        }
        if (++dots > 2) return 0;
    }
    return dots;
}

// Whether any segment of the path may be a dot segment: the common path has
// dots only inside names, and is given back without a copy.
bool MayHoldDotSegment(std::string_view path) {
    for (size_t i = 0; i < path.size(); ++i)
        if ((i == 0 || path[i - 1] == '/') && (path[i] == '.' || path[i] == '%')) return true;
    return false;
}

} // namespace

std::string RemoveDotSegments(const std::string& path) {
    const size_t pathEnd = std::min(QueryOrFragmentStart(path), path.size());
    const std::string_view segments = std::string_view(path).substr(0, pathEnd);
    if (!MayHoldDotSegment(segments)) return path;
    std::vector<std::string_view> kept;
    size_t start = 0;
    for (;;) {
        size_t slash = segments.find('/', start);
        const bool last = slash == std::string_view::npos;
        const std::string_view segment = segments.substr(start, last ? std::string_view::npos : slash - start);
        const int dots = DotSegmentKind(segment);
        if (dots == 2 && !kept.empty()) kept.pop_back();
        if (dots == 0)
            kept.push_back(segment);
        else if (last)
            kept.emplace_back();  // "a/." and "a/b/.." name the directory a/
        if (last) break;
        start = slash + 1;
    }
    std::string result;
    result.reserve(path.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += '/';
        result.append(kept[i]);
    }
    result.append(path, pathEnd, std::string::npos);
    return result;
}

std::string LocalDirOfServer(const std::string& server, bool withPort) {
    const TURLParts parts = SplitURL(server);
    std::string dir = parts.Host;
    if (withPort && !parts.Port.empty()) {
        // A port written with leading zeros is the same port.
        size_t digits = parts.Port.find_first_not_of('0');
        std::string port = digits == std::string::npos ? "0" : parts.Port.substr(digits);
        const bool defaultPort = (port == "80" && SameText(parts.Proto, "http")) ||
                                 (port == "443" && SameText(parts.Proto, "https"));
        if (!defaultPort) dir += "+" + port;
    }
    return AppendIfMissing(dir, '\\');
}

} // namespace vorlin
