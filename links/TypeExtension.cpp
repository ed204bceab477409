#include "links/TypeExtension.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <initializer_list>
#include <string_view>

namespace vorlin {

namespace {

constexpr size_t kMaxPath = 259;  // the longest full path a stored file may have

struct TTypeExtensions {
    std::initializer_list<std::string_view> Types;
    std::string_view Extension;                       // the one appended
    std::initializer_list<std::string_view> Fitting;  // what counts as fitting already
};

const std::initializer_list<std::string_view> kImageExtensions = {
    ".png", ".gif", ".jpg", ".jpeg", ".jpe", ".jfif", ".svg", ".svgz", ".webp", ".ico", ".avif", ".bmp", ".apng"};

const TTypeExtensions kTypes[] = {
    {{"text/html"}, ".html", {".html", ".htm", ".shtml", ".xhtml", ".xht"}},
    {{"text/css"}, ".css", {".css"}},
    {{"application/javascript", "text/javascript", "application/x-javascript", "application/ecmascript",
      "text/ecmascript"},
     ".js",
     {".js", ".mjs"}},
    {{"image/png"}, ".png", kImageExtensions},
    {{"image/gif"}, ".gif", kImageExtensions},
    {{"image/jpeg", "image/pjpeg"}, ".jpg", kImageExtensions},
    {{"image/svg+xml"}, ".svg", kImageExtensions},
    {{"image/webp"}, ".webp", kImageExtensions},
    {{"image/x-icon", "image/vnd.microsoft.icon"}, ".ico", kImageExtensions},
    {{"image/avif"}, ".avif", kImageExtensions},
    {{"image/bmp"}, ".bmp", kImageExtensions},
};

// From the last "." of the last component on; empty without one.
std::string_view ExtensionOf(std::string_view name) {
    size_t p = name.find_last_of(".\\");
    if (p == std::string_view::npos || name[p] != '.') return std::string_view();
    return name.substr(p);
}

} // namespace

std::string TypeExtensionFor(const std::string& localFileName, const std::string& mimeType) {
    const std::string type = LowerCase(Trim(mimeType.substr(0, mimeType.find(';'))));
    const std::string extension = LowerCase(ExtensionOf(localFileName));
    for (const TTypeExtensions& entry : kTypes) {
        bool matches = false;
        for (std::string_view t : entry.Types) matches = matches || t == type;
        if (!matches) continue;
        for (std::string_view fitting : entry.Fitting)
            if (fitting == extension) return std::string();
        return std::string(entry.Extension);
    }
    return std::string();
}

bool GiveTypeExtension(TDownloadLink& link, const TDownloadProject& project, const std::string& mimeType) {
    link.CompleteLocalFileName();
    const std::string extension = TypeExtensionFor(link.LocalFileName, mimeType);
    if (extension.empty()) return false;
    std::string base = link.LocalFileName;
    const size_t prefix = project.TargetDir.size() + link.LocalDir().size();
    const size_t room = prefix + extension.size() + 3 < kMaxPath ? kMaxPath - prefix - extension.size() - 3 : 0;
    if (prefix + base.size() + extension.size() > kMaxPath) base.resize(room);
    // Another link of the server may hold the name already (page?x and
    // page?x.html): a counter keeps them apart.
    std::string name = base + extension;
    for (int n = 0; n < 1000 && project.Links && project.Links->LocalNameTaken(link.Server(), name); ++n)
        name = base + Format("%.3d", n) + extension;
    link.SetLocalFileName(name);
    return true;
}

} // namespace vorlin
