#include "links/LocalNames.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <vector>

namespace vorlin {

namespace {

constexpr size_t kMaxPath = 259;  // the longest full path a stored file may have
constexpr size_t kCutPath = 256;  // what a long one is cut to, before its suffix

// The directories of a backslash-separated stored name, without its file name.
std::vector<std::string> DirectoriesOf(const std::string& storedName) {
    std::vector<std::string> dirs;
    size_t start = 0;
    for (size_t i = 0; i < storedName.size(); ++i) {
        if (storedName[i] != '\\') continue;
        dirs.push_back(storedName.substr(start, i - start));
        start = i + 1;
    }
    return dirs;
}

std::string FileNameOf(const std::string& storedName) {
    size_t slash = storedName.rfind('\\');
    return slash == std::string::npos ? storedName : storedName.substr(slash + 1);
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
    std::vector<std::string> from = DirectoriesOf(page.LocalDir + page.LocalFileName);
    std::vector<std::string> to = DirectoriesOf(targetName);
    size_t common = 0;
    while (common < from.size() && common < to.size() && SameText(from[common], to[common]))
        ++common;
    std::string result;
    for (size_t i = common; i < from.size(); ++i) result += "../";
    for (size_t i = common; i < to.size(); ++i) result += to[i] + "/";
    result += FileNameOf(targetName);
    return result + target.Anchor;
}

} // namespace vorlin
