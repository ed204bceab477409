#include "app/ProjectViewer.h"

#include "links/UrlHelpers.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"

#include <unistd.h>

namespace vorlin::app {

namespace {

bool IsPage(const TDownloadLink& link) {
    const std::string& type = link.MimeType;
    if (type.rfind("text/html", 0) == 0 || type.rfind("application/xhtml", 0) == 0) return true;
    return type.empty() && link.LinkType == ltPage;
}

} // namespace

TProjectViewer::TProjectViewer(std::string companionDirectory)
    : CompanionDirectory(std::move(companionDirectory)), StartProgram(StartDetached) {}

std::string TProjectViewer::CompanionPath() const { return IncludeTrailingSlash(CompanionDirectory) + kViewerProgram; }

bool TProjectViewer::CompanionInstalled() const {
    const std::string path = CompanionPath();
    return FileExists(path) && access(path.c_str(), X_OK) == 0;
}

std::string TProjectViewer::ViewURL(const std::string& root, const std::string& nodePath) {
    std::string base = root;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/view" + EncodeURL(nodePath) + ",/";
}

std::string TProjectViewer::FirstStoredPage(const TDownloadProject& project, const std::string& dataFile,
                                            const std::string& defaultDir) {
    if (dataFile.empty() || !FileExists(dataFile)) return {};
    TDownloadProject copy;
    copy.Assign(project);
    const std::string target = !copy.Destination.empty() ? copy.Destination : defaultDir;
    if (target.empty()) return {};
    copy.TargetDir = IncludeTrailingSlash(target);
    copy.Links->LoadFromFile(dataFile);
    std::string firstFile;
    for (TDownloadLink* link : *copy.Links) {
        if (link->State != lsDownloaded || (link->Kind != lkHttp && link->Kind != lkRelative)) continue;
        std::string path = LinkFilePath(copy, *link);
        if (path.empty() || path.back() == '/') path += "index.html";
        if (!FileExists(path)) continue;
        if (IsPage(*link)) return path;
        if (firstFile.empty()) firstFile = path;
    }
    return firstFile;
}

TViewing TProjectViewer::View(const TDownloadProject& project, const std::string& nodePath,
                              const std::string& dataFile, const std::string& defaultDir, const std::string& home) {
    TViewing viewing;
    if (CompanionInstalled() && StartProgram(CompanionPath(), {"--home", home, "--root", Root})) {
        viewing.Way = TViewing::TWay::vwServer;
        viewing.Target = ViewURL(Root, nodePath);
        ShellOpen(viewing.Target);
        return viewing;
    }
    const std::string page = FirstStoredPage(project, dataFile, defaultDir);
    if (page.empty()) return viewing;
    viewing.Way = TViewing::TWay::vwFile;
    viewing.Target = page;
    ShellOpen(page);
    return viewing;
}

} // namespace vorlin::app
