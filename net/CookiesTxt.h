// The Netscape cookies file ("cookies.txt") that browsers export and wget
// reads: one cookie a line, seven fields separated by tabs (domain, whether
// subdomains share it, path, secure, expiry in Unix seconds with 0 for a
// session cookie, name, value). Lines of "#" are comments, except the
// "#HttpOnly_" prefix of a domain.
#pragma once

#include "net/CookieJar.h"

#include <cstdint>
#include <string>

namespace vorlin {

struct TCookiesTxtReport {
    int Loaded = 0;
    int Skipped = 0;  // malformed lines, expired or refused cookies
};

// Larger files are refused: a cookies file is a few hundred kilobytes.
constexpr int64_t kMaxCookiesFileBytes = 16 << 20;

// Reads the cookies of the text into the jar.
TCookiesTxtReport ReadCookiesTxt(const std::string& text, TCookieJar& jar, int64_t now);
// Reads a cookies file; throws EFileError when it can't be read.
TCookiesTxtReport LoadCookiesTxt(const std::string& hostPath, TCookieJar& jar, int64_t now);
// The file's text: the persistent cookies, and the session ones (expiry 0)
// with keepSession.
std::string WriteCookiesTxt(const TCookieJar& jar, int64_t now, bool keepSession);
// Writes the file readable by its owner only, under a temporary name first.
void SaveCookiesTxt(const std::string& hostPath, const TCookieJar& jar, int64_t now, bool keepSession);

} // namespace vorlin
