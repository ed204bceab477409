#include "project/DownloadLink.h"

#include "links/ServerRoots.h"
#include "links/UrlHelpers.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LinkVotes.h"

#include <cstdint>

namespace vorlin {

namespace {

const char* const kHtml = "text/html";

// From the last "." of the file name on, dot included; empty without one.
std::string_view ExtensionOf(std::string_view localName) {
    // Backwards by hand: asked for every reference a page makes.
    for (size_t p = localName.size(); p > 0; --p) {
        const char c = localName[p - 1];
        if (c == '.') return localName.substr(p - 1);
        if (c == '\\' || c == '/' || c == ':') break;
    }
    return std::string_view();
}

// Free bytes where the project's files go: the nearest existing directory
// of the target (the target itself may not exist before the first file).
int64_t FreeBytesForProject(const TDownloadProject& project) {
    std::string dir = !project.TargetDir.empty() ? project.TargetDir : project.Destination;
    while (!dir.empty() && !DirectoryExists(dir)) {
        while (!dir.empty() && dir.back() == '/') dir.pop_back();
        dir = ExtractFilePath(dir);
    }
    return DiskFree(dir.empty() ? "." : dir);
}

} // namespace

void TDownloadLink::SetServer(const std::string& server) {
    // Links of a link data file from before ports were part of the local
    // directory keep the directory their files lie in.
    const TDownloadLinks* list = FOwner ? FOwner : Project && Project->Links ? Project->Links.get() : nullptr;
    const bool withPort = !(list && list->LegacyLocalDirs);
    if (!FRoot.Is(server, withPort)) FRoot = TSharedServerRoot(server, withPort);
    if (FOwner) FOwner->LocalNameChanged(*this);
}

void TDownloadLink::SetLocalFileName(const std::string& name) {
    LocalFileName = name;
    if (FOwner) FOwner->LocalNameChanged(*this);
}

void TDownloadLink::CompleteLocalFileName() {
    if (LocalFileName.empty() || LocalFileName.back() == '\\')
        SetLocalFileName(LocalFileName + "index.html");
}

static TDownloadProject& ProjectOf(TDownloadLink& link) {
    if (!link.Project) throw Exception("The link belongs to no project");
    return *link.Project;
}

static ILinkPluginVotes& VotesOf(TDownloadProject& project) {
    return project.Plugins ? *project.Plugins : NoPluginVotes();
}

bool TDownloadLink::IsForced() {
    if (Forced) return true;
    if (!Project) return false;
    return VotesOf(*Project).ForceLink(*Project, *this);
}

bool TDownloadLink::IsOutOfScope() {
    if (BaseResolved) return false;
    TDownloadProject& project = ProjectOf(*this);
    bool inside = false;
    switch (project.ScopeMode) {
    // http and https of one host count as one server (and one domain).
    case smStayInDirectory:
        inside = Path.compare(0, ScopeDir.size(), ScopeDir) == 0 && SameServer(Server(), project.StartServer);
        break;
    case smStayOnServer:
        inside = SameServer(Server(), project.StartServer);
        break;
    case smStayInDomain:
        inside = SameDomain(Server(), project.StartServer, project.StartDomain);
        break;
    }
    if (inside) return false;
    return VotesOf(project).ConfirmOutside(project, *this);
}

bool TDownloadLink::AcceptBeforeRequest() {
    TDownloadProject& project = ProjectOf(*this);
    // Every test runs, even after one has said no: the scope test asks the
    // plugins, and the rules must see every link.
    bool accept = true;
    if (Invalid) accept = false;
    if (project.ProjectMode == pmShowStructure && LinkType != ltPage) accept = false;
    if (project.ProjectMode == pmHalfAutomatic) accept = false;
    if (IsOutOfScope() && ExternalTooFar()) accept = false;
    if (!project.DownloadBckgrds && LinkType == ltBackground) accept = false;
    if (project.UseMaxLevelCount &&
        (Level > project.MaxLevelCount ||
         (Level == project.MaxLevelCount && project.MaxLevelCount > 0 && LinkType == ltPage)))
        accept = false;
    if (project.UseMaxFileCount && project.MaxFileCount < project.Downloaded->Count() + 1)
        accept = false;
    if (ExcludedByExtension()) accept = false;
    if ((project.JavaScriptMode == jsIgnore || project.JavaScriptMode == jsDelete) &&
        LinkType == ltScriptLink)
        accept = false;
    if (project.Rules) project.Rules->RunPhase(*this, project, 0);
    if (IsForced()) return true;
    if (Excluded) return false;
    return accept;
}

bool TDownloadLink::ExternalTooFar() {
    TDownloadProject& project = ProjectOf(*this);
    const bool tooFar = !project.FollowExternalLinks ||
                        (project.UseMaxExternalLevelCount && project.MaxExternalLevelCount < ExternalLevel);
    return tooFar && !(project.FollowExternalImages && LinkType != ltPage);
}

bool TDownloadLink::ExcludedByExtension() {
    const std::vector<std::string>& excluded = ProjectOf(*this).ExcludeList;
    if (excluded.empty()) return false;
    const std::string_view extension = ExtensionOf(LocalFileName);
    // Asked for every reference a page makes: compared in place.
    const std::string_view dotless =
        !extension.empty() && extension[0] == '.' ? extension.substr(1) : std::string_view();
    for (const std::string& entry : excluded) {
        // A blank entry would otherwise exclude every name without extension.
        if (entry.empty()) continue;
        if (extension == entry || (!dotless.empty() && dotless == entry)) return true;
    }
    return false;
}

bool TDownloadLink::AcceptAfterHeaders() {
    TDownloadProject& project = ProjectOf(*this);
    const int64_t kb = 1024;
    bool accept = true;
    if (project.ProjectMode == pmShowStructure && MimeType != kHtml) accept = false;
    if (Invalid) accept = false;
    if (project.UseMaxFileSize && project.MaxFileSize * kb < Size) accept = false;
    if (project.UseMinFileSize && MimeType != kHtml && Size < project.MinFileSize * kb)
        accept = false;
    if (project.UseMaxProjSize && Size + project.RunSize >= project.MaxProjSize * kb)
        accept = false;
    if (project.UseMinDriveSpace &&
        FreeBytesForProject(project) - Size <= project.MinDriveSpace * kb)
        accept = false;
    if (project.UseMaxFileCount && project.MaxFileCount < project.DownloadedCount + 1)
        accept = false;
    if (project.Rules) project.Rules->RunPhase(*this, project, 1);
    if (IsForced()) return true;
    if (Excluded) return false;
    return accept;
}

} // namespace vorlin
