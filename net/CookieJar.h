// TCookieJar: the cookies servers set during a run, kept after RFC 6265 and
// sent back with later requests. Domain and host-only cookies, paths,
// Expires and Max-Age, Secure (stored from and sent over https only),
// HttpOnly (kept and sent; we run no scripts). There is no public suffix
// list: a cookie for a bare top-level domain is refused, and an IP address
// host takes cookies for itself only.
//
// A hostile server must not grow the jar without end: a cookie is at most
// kMaxCookieBytes, a site (the last two labels of the domain) keeps at most
// kMaxPerSite cookies and the jar kMaxTotal; beyond that the least recently
// used go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorlin {

struct TCookie {
    std::string Name, Value;
    std::string Domain;  // lower case, without a leading "."
    std::string Path;
    int64_t Expires = 0;  // Unix seconds; persistent cookies only
    bool Persistent = false;
    bool HostOnly = true;  // sent to Domain itself, not to its subdomains
    bool Secure = false;
    bool HttpOnly = false;
    int64_t Created = 0;     // Unix seconds
    uint64_t Serial = 0;     // order of creation, for equal creation times
    uint64_t LastUsed = 0;   // the jar's use counter when last set or sent
    std::string Site;        // what the per-site bound counts by (set by the jar)
};

class TCookieJar {
public:
    static constexpr size_t kMaxCookieBytes = 4096;
    static constexpr size_t kMaxPerSite = 50;
    static constexpr size_t kMaxTotal = 3000;

    // A Set-Cookie header value received for url. Answers false when it was
    // refused, with the reason in refusal (when given).
    bool SetCookie(const std::string& url, const std::string& header, int64_t now, std::string* refusal = nullptr);
    // The value of the Cookie header for a request of url; empty when none
    // is due.
    std::string CookieHeader(const std::string& url, int64_t now);
    // Adds a cookie as it stands (read from a cookies file); the bounds hold.
    bool Add(TCookie cookie, int64_t now);
    // Every cookie that has not expired, in order of creation.
    std::vector<TCookie> Cookies(int64_t now) const;
    size_t Count() const { return FCookies.size(); }
    void Clear() {
        FCookies.clear();
        FPerSite.clear();
    }

private:
    void Store(TCookie cookie);
    void Evict();
    void RemoveExpired(int64_t now);
    void Erase(std::vector<TCookie>::iterator it);

    std::vector<TCookie> FCookies;
    std::unordered_map<std::string, size_t> FPerSite;
    uint64_t FSerial = 0;
    uint64_t FUse = 0;
};

// RFC 6265's date of an Expires attribute, in Unix seconds; false when the
// text is no date.
bool ParseCookieDate(const std::string& text, int64_t& unixSeconds);
// The host of a URL as cookies compare it: lower case, without brackets.
std::string CookieHostOf(const std::string& url);
// "domain-match" of RFC 6265 5.1.3 (both lower case).
bool CookieDomainMatch(const std::string& host, const std::string& domain);
// "path-match" of RFC 6265 5.1.4.
bool CookiePathMatch(const std::string& requestPath, const std::string& cookiePath);

} // namespace vorlin
