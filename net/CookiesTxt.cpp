#include "net/CookiesTxt.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"

#include <cerrno>
#include <vector>

namespace vorlin {

namespace {

constexpr const char* kHttpOnlyPrefix = "#HttpOnly_";

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

bool ParseExpiry(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

} // namespace

TCookiesTxtReport ReadCookiesTxt(const std::string& text, TCookieJar& jar, int64_t now) {
    TCookiesTxtReport report;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        TCookie cookie;
        if (StartsText(kHttpOnlyPrefix, line)) {
            cookie.HttpOnly = true;
            line.erase(0, std::char_traits<char>::length(kHttpOnlyPrefix));
        } else if (Trim(line).empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields = SplitTabs(line);
        // Some exporters leave the value out when it is empty.
        if (fields.size() == 6) fields.emplace_back();
        int64_t expires = 0;
        if (fields.size() != 7 || fields[0].empty() || !ParseExpiry(fields[4], expires)) {
            ++report.Skipped;
            continue;
        }
        std::string domain = fields[0];
        const bool subdomains = SameText(fields[1], "TRUE");
        if (domain[0] == '.') domain.erase(0, 1);
        cookie.Domain = domain;
        cookie.HostOnly = !subdomains && fields[0][0] != '.';
        cookie.Path = fields[2];
        cookie.Secure = SameText(fields[3], "TRUE");
        cookie.Persistent = expires != 0;
        cookie.Expires = expires;
        cookie.Name = fields[5];
        cookie.Value = fields[6];
        if (jar.Add(std::move(cookie), now))
            ++report.Loaded;
        else
            ++report.Skipped;
    }
    return report;
}

TCookiesTxtReport LoadCookiesTxt(const std::string& hostPath, TCookieJar& jar, int64_t now) {
    TFileStream file(hostPath, fmOpenRead);
    const int64_t size = file.Size();
    if (size > kMaxCookiesFileBytes)
        throw EFileError("The cookies file \"" + hostPath + "\" is larger than " +
                         std::to_string(kMaxCookiesFileBytes >> 20) + " MB", EFBIG);
    std::string text(static_cast<size_t>(size), '\0');
    if (size > 0) file.ReadBuffer(text.data(), size);
    return ReadCookiesTxt(text, jar, now);
}

std::string WriteCookiesTxt(const TCookieJar& jar, int64_t now, bool keepSession) {
    std::string text = "# Netscape HTTP Cookie File\n# Written by vorlin. Holds secrets: keep it private.\n\n";
    for (const TCookie& c : jar.Cookies(now)) {
        if (!c.Persistent && !keepSession) continue;
        if (c.HttpOnly) text += kHttpOnlyPrefix;
        text += (c.HostOnly ? "" : ".") + c.Domain + '\t' + (c.HostOnly ? "FALSE" : "TRUE") + '\t' + c.Path + '\t' +
                (c.Secure ? "TRUE" : "FALSE") + '\t' + std::to_string(c.Persistent ? c.Expires : 0) + '\t' + c.Name +
                '\t' + c.Value + '\n';
    }
    return text;
}

void SaveCookiesTxt(const std::string& hostPath, const TCookieJar& jar, int64_t now, bool keepSession) {
    const std::string text = WriteCookiesTxt(jar, now, keepSession);
    WriteFileAtomically(
        hostPath, [&](TFileStream& file) { file.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); },
        kPrivateFileMode);
}

} // namespace vorlin
