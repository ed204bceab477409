// Feeds arbitrary lines to the cookie jar as Set-Cookie headers of a few
// addresses and as a cookies file, then writes the jar and reads it back:
// nothing may crash, the bounds hold, and what was written reads again.
#include "net/CookieJar.h"
#include "net/CookiesTxt.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kUrls[] = {"http://www.example.com/a/b", "https://example.com/", "http://10.0.0.1:8080/x",
                                        "http://localhost/"};
    constexpr int64_t kNow = 1'800'000'000;
    const std::string text(reinterpret_cast<const char*>(data), size);
    vorlin::TCookieJar jar;
    size_t start = 0, line = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        jar.SetCookie(kUrls[line++ % 4], text.substr(start, end - start), kNow);
        start = end + 1;
    }
    vorlin::ReadCookiesTxt(text, jar, kNow);
    for (const char* url : kUrls) jar.CookieHeader(url, kNow);
    if (jar.Count() > vorlin::TCookieJar::kMaxTotal) std::abort();
    const size_t alive = jar.Cookies(kNow).size();
    vorlin::TCookieJar back;
    vorlin::ReadCookiesTxt(vorlin::WriteCookiesTxt(jar, kNow, true), back, kNow);
    if (back.Count() != alive) std::abort();
    return 0;
}
