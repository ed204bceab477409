#include "net/CookieJar.h"

#include "links/UrlHelpers.h"
#include "platform/DateTime.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <cctype>

namespace vorlin {

namespace {

struct TRequestOf {
    std::string Scheme, Host, Path;
};

TRequestOf RequestOf(const std::string& url) {
    TURLParts parts = SplitURL(url);
    TRequestOf r;
    r.Scheme = LowerCase(parts.Proto.empty() ? std::string("http") : parts.Proto);
    r.Host = CookieHostOf(url);
    std::string path = parts.Path;
    path = path.substr(0, path.find_first_of("?#"));
    r.Path = path.empty() || path[0] != '/' ? std::string("/") : path;
    return r;
}

bool IsIpAddress(const std::string& host) {
    if (host.find(':') != std::string::npos) return true;  // IPv6
    if (host.empty()) return false;
    return std::all_of(host.begin(), host.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; });
}

// RFC 6265 5.1.4: the directory of the request path.
std::string DefaultPath(const std::string& requestPath) {
    if (requestPath.empty() || requestPath[0] != '/') return "/";
    size_t last = requestPath.rfind('/');
    return last == 0 ? std::string("/") : requestPath.substr(0, last);
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != '\t') || u == 0x7F;
    });
}

// The bound per site: the last two labels of the domain (an address as a whole).
std::string SiteOf(const TCookie& cookie) {
    if (IsIpAddress(cookie.Domain)) return cookie.Domain;
    size_t last = cookie.Domain.rfind('.');
    if (last == std::string::npos || last == 0) return cookie.Domain;
    size_t before = cookie.Domain.rfind('.', last - 1);
    return before == std::string::npos ? cookie.Domain : cookie.Domain.substr(before + 1);
}

bool Refuse(std::string* refusal, const std::string& why) {
    if (refusal) *refusal = why;
    return false;
}

bool ParseDecimal(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

constexpr int64_t kFarFuture = 253402300799;  // 9999-12-31 23:59:59

} // namespace

std::string CookieHostOf(const std::string& url) {
    std::string host = LowerCase(SplitURL(url).Host);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    while (!host.empty() && host.back() == '.') host.pop_back();
    return host;
}

bool CookieDomainMatch(const std::string& host, const std::string& domain) {
    if (host == domain) return true;
    if (IsIpAddress(host) || host.size() <= domain.size()) return false;
    return host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

bool CookiePathMatch(const std::string& requestPath, const std::string& cookiePath) {
    if (requestPath == cookiePath) return true;
    if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
    return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

// RFC 6265 5.1.1: tokens between delimiters; the first time, day of month,
// month and year found make the date.
bool ParseCookieDate(const std::string& text, int64_t& unixSeconds) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    auto delimiter = [](unsigned char c) {
        return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
               (c >= 0x7B && c <= 0x7E);
    };
    bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
    int hour = 0, minute = 0, second = 0, day = 0, month = 0;
    int64_t year = 0;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && delimiter(static_cast<unsigned char>(text[i]))) ++i;
        size_t start = i;
        while (i < text.size() && !delimiter(static_cast<unsigned char>(text[i]))) ++i;
        if (start == i) continue;
        const std::string token = text.substr(start, i - start);
        auto digitsAt = [&](size_t from, size_t minCount, size_t maxCount, int& value) -> size_t {
            size_t n = 0;
            value = 0;
            while (from + n < token.size() && n < maxCount && std::isdigit(static_cast<unsigned char>(token[from + n])))
                value = value * 10 + (token[from + n++] - '0');
            return n >= minCount ? n : 0;
        };
        int a = 0, b = 0, c = 0;
        if (!haveTime) {
            size_t n1 = digitsAt(0, 1, 2, a);
            if (n1 && n1 < token.size() && token[n1] == ':') {
                size_t n2 = digitsAt(n1 + 1, 1, 2, b);
                if (n2 && n1 + 1 + n2 < token.size() && token[n1 + 1 + n2] == ':' && digitsAt(n1 + n2 + 2, 1, 2, c)) {
                    haveTime = true;
                    hour = a, minute = b, second = c;
                    continue;
                }
            }
        }
        if (!haveDay) {
            size_t n = digitsAt(0, 1, 2, a);
            if (n && (n == token.size() || !std::isdigit(static_cast<unsigned char>(token[n])))) {
                haveDay = true;
                day = a;
                continue;
            }
        }
        if (!haveMonth && token.size() >= 3) {
            const std::string prefix = LowerCase(token.substr(0, 3));
            auto it = std::find_if(std::begin(kMonths), std::end(kMonths), [&](const char* m) { return prefix == m; });
            if (it != std::end(kMonths)) {
                haveMonth = true;
                month = static_cast<int>(it - std::begin(kMonths)) + 1;
                continue;
            }
        }
        if (!haveYear) {
            size_t n = digitsAt(0, 2, 4, a);
            if (n && (n == token.size() || !std::isdigit(static_cast<unsigned char>(token[n])))) {
                haveYear = true;
                year = a;
                continue;
            }
        }
    }
    if (!haveTime || !haveDay || !haveMonth || !haveYear) return false;
    if (year >= 70 && year <= 99) year += 1900;
    if (year >= 0 && year <= 69) year += 2000;
    if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59) return false;
    if (year > 9999) return false;
    try {
        unixSeconds = DateTimeToUnix(EncodeDate(static_cast<int>(year), month, day)) + hour * 3600 + minute * 60 + second;
    } catch (const std::exception&) {
        return false;  // a day the month does not have
    }
    return true;
}

bool TCookieJar::SetCookie(const std::string& url, const std::string& header, int64_t now, std::string* refusal) {
    const TRequestOf request = RequestOf(url);
    if (request.Host.empty()) return Refuse(refusal, "no host");
    // RFC 6265 5.2: the name-value pair, then the attributes.
    size_t semicolon = header.find(';');
    const std::string pair = header.substr(0, semicolon);
    size_t equals = pair.find('=');
    if (equals == std::string::npos) return Refuse(refusal, "no name=value");
    TCookie cookie;
    cookie.Name = Trim(pair.substr(0, equals));
    cookie.Value = Trim(pair.substr(equals + 1));
    if (cookie.Name.empty()) return Refuse(refusal, "an empty name");
    if (cookie.Name.size() + cookie.Value.size() > kMaxCookieBytes) return Refuse(refusal, "larger than 4096 bytes");
    if (HasControlCharacter(cookie.Name) || HasControlCharacter(cookie.Value))
        return Refuse(refusal, "control characters");

    bool haveMaxAge = false, haveExpires = false;
    int64_t maxAgeExpiry = 0, expires = 0;
    std::string domain, path;
    size_t at = semicolon;
    while (at != std::string::npos) {
        size_t next = header.find(';', at + 1);
        const std::string av = header.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        at = next;
        size_t eq = av.find('=');
        const std::string name = LowerCase(Trim(av.substr(0, eq)));
        const std::string value = eq == std::string::npos ? std::string() : Trim(av.substr(eq + 1));
        if (value.size() > 1024) continue;  // RFC 6265bis: an attribute this long is ignored
        if (name == "expires") {
            int64_t t = 0;
            if (ParseCookieDate(value, t)) haveExpires = true, expires = t;
        } else if (name == "max-age") {
            std::string digits = value;
            bool negative = !digits.empty() && digits[0] == '-';
            if (negative) digits.erase(0, 1);
            int64_t seconds = 0;
            if (!ParseDecimal(digits, seconds)) {
                // More digits than fit: as long as it can be.
                if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) continue;
                seconds = kFarFuture;
            }
            haveMaxAge = true;
            maxAgeExpiry = negative || seconds == 0 ? 0 : std::min(kFarFuture, now + std::min(seconds, kFarFuture));
        } else if (name == "domain") {
            std::string d = LowerCase(value);
            if (!d.empty() && d[0] == '.') d.erase(0, 1);
            while (!d.empty() && d.back() == '.') d.pop_back();
            if (!d.empty()) domain = d;
        } else if (name == "path") {
            path = value.empty() || value[0] != '/' ? std::string() : value;
        } else if (name == "secure") {
            cookie.Secure = true;
        } else if (name == "httponly") {
            cookie.HttpOnly = true;
        }
    }
    if (cookie.Secure && request.Scheme != "https") return Refuse(refusal, "Secure over plain http");

    if (domain.empty() || domain == request.Host) {
        cookie.Domain = request.Host;
        cookie.HostOnly = true;
    } else {
        if (IsIpAddress(request.Host)) return Refuse(refusal, "a domain for an address (" + domain + ")");
        if (domain.find('.') == std::string::npos) return Refuse(refusal, "a top-level domain (" + domain + ")");
        if (!CookieDomainMatch(request.Host, domain)) return Refuse(refusal, "a foreign domain (" + domain + ")");
        cookie.Domain = domain;
        cookie.HostOnly = false;
    }
    cookie.Path = path.empty() ? DefaultPath(request.Path) : path;
    if (haveMaxAge) {
        cookie.Persistent = true;
        cookie.Expires = maxAgeExpiry;
    } else if (haveExpires) {
        cookie.Persistent = true;
        cookie.Expires = std::min(expires, kFarFuture);
    }
    cookie.Created = now;
    if (cookie.Persistent && cookie.Expires <= now) {
        // An expiry in the past deletes the cookie.
        for (auto it = FCookies.begin(); it != FCookies.end(); ++it) {
            if (it->Name == cookie.Name && it->Domain == cookie.Domain && it->Path == cookie.Path) {
                Erase(it);
                break;
            }
        }
        return true;
    }
    RemoveExpired(now);
    Store(std::move(cookie));
    return true;
}

bool TCookieJar::Add(TCookie cookie, int64_t now) {
    if (cookie.Name.empty() || cookie.Domain.empty()) return false;
    if (cookie.Name.size() + cookie.Value.size() > kMaxCookieBytes) return false;
    if (HasControlCharacter(cookie.Name) || HasControlCharacter(cookie.Value)) return false;
    if (cookie.Persistent && cookie.Expires <= now) return false;
    if (cookie.Path.empty() || cookie.Path[0] != '/') cookie.Path.assign(1, '/');
    cookie.Domain = LowerCase(cookie.Domain);
    if (!cookie.HostOnly && cookie.Domain.find('.') == std::string::npos) return false;
    if (cookie.Created == 0) cookie.Created = now;
    Store(std::move(cookie));
    return true;
}

void TCookieJar::Store(TCookie cookie) {
    cookie.LastUsed = ++FUse;
    for (TCookie& old : FCookies) {
        if (old.Name == cookie.Name && old.Domain == cookie.Domain && old.Path == cookie.Path) {
            cookie.Created = old.Created;
            cookie.Serial = old.Serial;
            old = std::move(cookie);
            return;
        }
    }
    cookie.Serial = ++FSerial;
    cookie.Site = SiteOf(cookie);
    ++FPerSite[cookie.Site];
    FCookies.push_back(std::move(cookie));
    Evict();
}

void TCookieJar::Erase(std::vector<TCookie>::iterator it) {
    auto count = FPerSite.find(it->Site);
    if (count != FPerSite.end() && --count->second == 0) FPerSite.erase(count);
    FCookies.erase(it);
}

// The least recently used cookie of a site over its bound goes, then the
// least recently used of all while the jar is over its own.
void TCookieJar::Evict() {
    const std::string site = FCookies.back().Site;
    while (FPerSite[site] > kMaxPerSite) {
        auto oldest = FCookies.end();
        for (auto it = FCookies.begin(); it != FCookies.end(); ++it)
            if (it->Site == site && (oldest == FCookies.end() || it->LastUsed < oldest->LastUsed)) oldest = it;
        Erase(oldest);
    }
    while (FCookies.size() > kMaxTotal) {
        auto oldest = std::min_element(FCookies.begin(), FCookies.end(),
                                       [](const TCookie& a, const TCookie& b) { return a.LastUsed < b.LastUsed; });
        Erase(oldest);
    }
}

void TCookieJar::RemoveExpired(int64_t now) {
    for (auto it = FCookies.begin(); it != FCookies.end();) {
        if (it->Persistent && it->Expires <= now) {
            auto count = FPerSite.find(it->Site);
            if (count != FPerSite.end() && --count->second == 0) FPerSite.erase(count);
            it = FCookies.erase(it);
        } else {
            ++it;
        }
    }
}

std::string TCookieJar::CookieHeader(const std::string& url, int64_t now) {
    RemoveExpired(now);
    // Most sites set none: then no request needs its address taken apart.
    if (FCookies.empty()) return std::string();
    const TRequestOf request = RequestOf(url);
    std::vector<TCookie*> due;
    for (TCookie& c : FCookies) {
        if (c.HostOnly ? request.Host != c.Domain : !CookieDomainMatch(request.Host, c.Domain)) continue;
        if (!CookiePathMatch(request.Path, c.Path)) continue;
        if (c.Secure && request.Scheme != "https") continue;
        due.push_back(&c);
    }
    // Longer paths first, then the older cookie (RFC 6265 5.4).
    std::stable_sort(due.begin(), due.end(), [](const TCookie* a, const TCookie* b) {
        if (a->Path.size() != b->Path.size()) return a->Path.size() > b->Path.size();
        return a->Created != b->Created ? a->Created < b->Created : a->Serial < b->Serial;
    });
    std::string header;
    for (TCookie* c : due) {
        c->LastUsed = ++FUse;
        if (!header.empty()) header += "; ";
        header += c->Name + "=" + c->Value;
    }
    return header;
}

std::vector<TCookie> TCookieJar::Cookies(int64_t now) const {
    std::vector<TCookie> alive;
    for (const TCookie& c : FCookies)
        if (!c.Persistent || c.Expires > now) alive.push_back(c);
    std::sort(alive.begin(), alive.end(), [](const TCookie& a, const TCookie& b) { return a.Serial < b.Serial; });
    return alive;
}

} // namespace vorlin
