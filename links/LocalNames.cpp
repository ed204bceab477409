#include "links/LocalNames.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"


namespace vorlin {

namespace {

constexpr size_t kMaxPath = 259;  // the longest full path a stored file may have
constexpr size_t kCutPath = 256;  // what a long one is cut to, before its suffix

// Walks the "/"-separated components of a host path (that has no empty
// ones), as views into it.
class TComponentWalk {
public:
    explicit TComponentWalk(std::string_view path) : FRest(path) {}
    bool Next(std::string_view& component) {
        if (FRest.empty()) return false;
        size_t slash = FRest.find('/');
        component = FRest.substr(0, slash);
        FRest = slash == std::string_view::npos ? std::string_view() : FRest.substr(slash + 1);
        return true;
    }

private:
    std::string_view FRest;
};

// Up to the last "/" (without it); empty for a bare file name.
std::string_view DirectoryOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// A stored file's name below the target directory, as the link data holds
// it (a directory's file is its index.html), into name.
void StoredNameInto(std::string& name, const std::string& localDir, const std::string& localFileName) {
    name.assign(localDir).append(localFileName);
    if (localFileName.empty() || name.back() == '\\') name += "index.html";
}

// Where a stored file lies below the target directory, as a host path;
// valid until the next call on this thread.
const std::string& StoredPathOf(const std::string& localDir, const std::string& localFileName) {
    // Kept from call to call: this runs for every rewritten link.
    thread_local std::string name, path;
    StoredNameInto(name, localDir, localFileName);
    path.clear();
    AppendHostPath(path, name);
    return path;
}

// The way from a page's directory (a host path) to a stored directory
// name: past the directories both share, up out of each of the page's and
// down into each of the target's; ends in "/" unless empty.
std::string WayBetween(std::string_view pageDir, std::string_view targetDirName) {
    std::string targetDir;
    AppendHostPath(targetDir, targetDirName);
    if (!targetDir.empty() && targetDir.back() == '/') targetDir.pop_back();
    TComponentWalk from(pageDir), to(targetDir);
    std::string_view a, b;
    bool hasA = from.Next(a), hasB = to.Next(b);
    while (hasA && hasB && (a == b || SameText(a, b))) { // most are equal byte for byte
        hasA = from.Next(a);
        hasB = to.Next(b);
    }
    std::string way;
    for (; hasA; hasA = from.Next(a)) way += "../";
    for (; hasB; hasB = to.Next(b)) {
        way += b;
        way += '/';
    }
    return way;
}

// The page's path, kept while the same page is rewritten link after link.
const std::string& PagePathOf(const TDownloadLink& page) {
    struct TLast {
        const TDownloadLink* Page = nullptr;
        std::string LocalDir, LocalFileName, Path;
    };
    thread_local TLast last;
    if (last.Page != &page || last.LocalDir != page.LocalDir() || last.LocalFileName != page.LocalFileName) {
        last.Page = &page;
        last.LocalDir = page.LocalDir();
        last.LocalFileName = page.LocalFileName;
        last.Path = StoredPathOf(page.LocalDir(), page.LocalFileName);
    }
    return last.Path;
}

} // namespace

std::string InvalidCharReplacement(const TDownloadProject& project) {
    return project.InvalidCharReplacement();
}

std::string FitLocalName(const TDownloadLink& link, const TDownloadProject& project) {
    size_t prefix = project.TargetDir.size() + link.LocalDir().size();
    if (prefix + link.LocalFileName.size() <= kMaxPath) return link.LocalFileName;
    std::string cut = link.LocalFileName.substr(0, prefix < kCutPath ? kCutPath - prefix : 0);
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = cut + Format("%.3d", n);
        if (!project.Links->LocalNameTaken(link.Server(), candidate)) return candidate;
    }
    return cut;
}

std::string LocalRelativeLink(const TDownloadLink& page, const TDownloadLink& target,
                              const TDownloadProject&) {
    return RelativeLocalPath(page, target.LocalDir(), target.LocalFileName) + target.Anchor;
}

std::string RelativeLocalPath(const TDownloadLink& page, const std::string& targetLocalDir,
                              const std::string& targetLocalFileName) {
    // Both files lie below the same target directory, which therefore drops
    // out of the comparison. They are compared as they lie on disk: the same
    // replacements that storing them made ("..", ".", over-long names), so
    // that a rewritten link finds the file and never climbs out of the copy.
    // Stored names map component by component, so the way to the target's
    // directory is found once per page and directory: a page names many
    // files of few directories.
    struct TLastWay {
        std::string PagePath, TargetDirName, Way;
    };
    thread_local TLastWay last;
    thread_local std::string name;
    StoredNameInto(name, targetLocalDir, targetLocalFileName);
    const std::string& pagePath = PagePathOf(page);
    size_t cut = name.size();  // past the last separator; 0 without a directory
    while (cut > 0 && name[cut - 1] != '\\' && name[cut - 1] != '/') --cut;
    const std::string_view dirName = std::string_view(name).substr(0, cut);
    if (last.PagePath != pagePath || last.TargetDirName != dirName) {
        last.PagePath = pagePath;
        last.TargetDirName.assign(dirName);
        last.Way = WayBetween(DirectoryOf(pagePath), dirName);
    }
    std::string result;
    result.reserve(last.Way.size() + name.size() - cut + 8);
    result = last.Way;
    AppendHostPath(result, std::string_view(name).substr(cut));
    return result;
}

} // namespace vorlin
