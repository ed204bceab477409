#include "links/LocalNames.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"

#include <vector>

namespace vorlin {

namespace {

constexpr size_t kMaxPath = 259;  // the longest full path a stored file may have
constexpr size_t kCutPath = 256;  // what a long one is cut to, before its suffix

// The components of a host path, as views into it.
std::vector<std::string_view> Components(const std::string& path) {
    std::vector<std::string_view> parts;
    const std::string_view all(path);
    size_t start = 0;
    for (size_t i = 0; i <= all.size(); ++i) {
        if (i < all.size() && all[i] != '/') continue;
        if (i > start) parts.push_back(all.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

} // namespace

std::string InvalidCharReplacement(const TDownloadProject& project) {
    return project.InvalidCharReplacement();
}

std::string FitLocalName(const TDownloadLink& link, const TDownloadProject& project) {
    size_t prefix = project.TargetDir.size() + link.LocalDir.size();
    if (prefix + link.LocalFileName.size() <= kMaxPath) return link.LocalFileName;
    std::string cut = link.LocalFileName.substr(0, prefix < kCutPath ? kCutPath - prefix : 0);
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = cut + Format("%.3d", n);
        if (!project.Links->LocalNameTaken(link.Server, candidate)) return candidate;
    }
    return cut;
}

std::string LocalRelativeLink(const TDownloadLink& page, const TDownloadLink& target,
                              const TDownloadProject&) {
    // Both files lie below the same target directory, which therefore drops
    // out of the comparison.
    std::string targetName = target.LocalDir + target.LocalFileName;
    if (target.LocalFileName.empty() || targetName.back() == '\\') targetName += "index.html";
    std::string pageName = page.LocalDir + page.LocalFileName;
    if (page.LocalFileName.empty() || pageName.back() == '\\') pageName += "index.html";
    // Compared as the files lie on disk: the same replacements that storing
    // them made ("..", ".", over-long names), so that a rewritten link finds
    // the file and never climbs out of the copy.
    const std::string pagePath = HostPathBelow(std::string(), pageName);
    const std::string targetPath = HostPathBelow(std::string(), targetName);
    std::vector<std::string_view> from = Components(pagePath);
    std::vector<std::string_view> to = Components(targetPath);
    if (!from.empty()) from.pop_back();  // the page's own file name
    std::string_view fileName;
    if (!to.empty()) {
        fileName = to.back();
        to.pop_back();
    }
    size_t common = 0;
    while (common < from.size() && common < to.size() && SameText(from[common], to[common]))
        ++common;
    std::string result;
    for (size_t i = common; i < from.size(); ++i) result += "../";
    for (size_t i = common; i < to.size(); ++i) {
        result += to[i];
        result += '/';
    }
    result += fileName;
    result += target.Anchor;
    return result;
}

} // namespace vorlin
