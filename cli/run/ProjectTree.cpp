#include "cli/run/ProjectTree.h"

#include "platform/FileSystem.h"
#include "platform/HiddenPasswords.h"
#include "platform/ProgramHome.h"
#include "platform/StringUtils.h"
#include "project/DownloadProject.h"

#include <algorithm>
#include <exception>

namespace vorlin::cli {

namespace {

const char* const kTopFolders[] = {"Projects", "Quick Projects", "Templates"};
const char* const kTemplates = "/Templates";

void AddFolder(const std::string& directory, const std::string& nodePath, int depth, bool templates,
               std::vector<TProjectNode>& nodes) {
    std::vector<std::string> folders, projects;
    for (const std::string& name : ListDirectory(directory)) {
        if (DirectoryExists(directory + name))
            folders.push_back(name);
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".prj") == 0)
            projects.push_back(name.substr(0, name.size() - 4));
    }
    std::sort(folders.begin(), folders.end());
    std::sort(projects.begin(), projects.end());
    for (const std::string& name : folders) {
        nodes.push_back({TNodeKind::nkFolder, nodePath + "/" + name, name, "", depth});
        AddFolder(directory + name + "/", nodePath + "/" + name, depth + 1, templates, nodes);
    }
    for (const std::string& name : projects)
        nodes.push_back({templates ? TNodeKind::nkTemplate : TNodeKind::nkProject, nodePath + "/" + name, name,
                         directory + name + ".prj", depth});
}

// The URL and target of a project file; false when it can't be read.
bool ReadStart(const std::string& file, std::string& url, std::string& destination) {
    try {
        TDownloadProject project;
        project.LoadFromFile(file);
        url = project.URL;
        destination = project.Destination;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string DirectoryKey(const std::string& directory) { return IncludeTrailingSlash(AbsolutePath(directory)); }

bool HasParentStep(const std::string& path) {
    return path == ".." || path.rfind("../", 0) == 0 || path.find("/../") != std::string::npos ||
           (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
}

} // namespace

std::string ProjectsDirectory(const std::string& home) { return IncludeTrailingSlash(home) + "Projects/"; }

std::vector<TProjectNode> ListProjectTree(const std::string& home) {
    std::vector<TProjectNode> nodes;
    for (const char* top : kTopFolders) {
        const std::string nodePath = std::string("/") + top;
        nodes.push_back({TNodeKind::nkFolder, nodePath, top, "", 0});
        AddFolder(ProjectsDirectory(home) + top + "/", nodePath, 1, nodePath == kTemplates, nodes);
    }
    return nodes;
}

std::string NodePathOf(const std::string& home, const std::string& projectFile) {
    const std::string projects = ProjectsDirectory(AbsolutePath(home));
    const std::string file = AbsolutePath(projectFile);
    if (file.rfind(projects, 0) != 0 || file.size() < projects.size() + 4) return "";
    if (file.compare(file.size() - 4, 4, ".prj") != 0) return "";
    return "/" + file.substr(projects.size(), file.size() - projects.size() - 4);
}

std::string StartURLKey(const std::string& text) {
    std::string url = Trim(text);
    size_t scheme = url.find("://");
    if (scheme == std::string::npos) {
        url = "http://" + url;
        scheme = 4;
    }
    const size_t hostStart = scheme + 3;
    const size_t pathStart = url.find_first_of("/?#", hostStart);
    std::string authority = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
    std::string rest = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    if (rest[0] != '/') rest = "/" + rest;
    const std::string protocol = LowerCase(url.substr(0, scheme));
    // The user's part keeps its case; the host has none.
    const size_t at = authority.rfind('@');
    const size_t hostAt = at == std::string::npos ? 0 : at + 1;
    std::string host = LowerCase(authority.substr(hostAt));
    if (protocol == "http" && host.size() > 3 && host.compare(host.size() - 3, 3, ":80") == 0) host.resize(host.size() - 3);
    return protocol + "://" + authority.substr(0, hostAt) + host + rest;
}

std::string ShownStartURL(const std::string& url) {
    return HideURLPasswords(url.empty() || url.find("://") != std::string::npos ? url : "http://" + url);
}

std::string FindProjectForURL(const std::string& home, const std::string& url, const std::string& destination) {
    const std::string key = StartURLKey(url);
    const std::string target = destination.empty() ? "" : DirectoryKey(destination);
    for (const TProjectNode& node : ListProjectTree(home)) {
        if (node.Kind != TNodeKind::nkProject) continue;
        std::string projectURL, projectTarget;
        if (!ReadStart(node.File, projectURL, projectTarget)) continue;
        if (projectURL.empty() || StartURLKey(projectURL) != key) continue;
        if (!target.empty() && (projectTarget.empty() || DirectoryKey(projectTarget) != target)) continue;
        return node.File;
    }
    return "";
}

std::string ResolveProject(const std::string& home, const std::string& name, std::string& error) {
    if (name.empty()) {
        error = "no project named";
        return "";
    }
    if (FileExists(name)) return AbsolutePath(name);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".prj") == 0) {
        error = "no project file " + AbsolutePath(name);
        return "";
    }
    std::string path = name;
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    while (!path.empty() && path.back() == '/') path.pop_back();
    if (path.empty() || HasParentStep(path)) {
        error = "'" + name + "' is no project name";
        return "";
    }
    const std::string listHint = " ('vorlin list' shows the projects)";
    std::vector<TProjectNode> matches;
    for (const TProjectNode& node : ListProjectTree(home)) {
        if (node.Kind == TNodeKind::nkFolder) continue;
        // The whole name, or a caption alone.
        if (node.NodePath == "/" + path || (path.find('/') == std::string::npos && node.Caption == path))
            matches.push_back(node);
    }
    // A whole name is unique; a caption may be several projects'.
    auto whole = std::find_if(matches.begin(), matches.end(), [&](const TProjectNode& n) { return n.NodePath == "/" + path; });
    if (whole != matches.end()) matches = {*whole};
    // A template is never downloaded: a project of the same caption is meant.
    if (std::any_of(matches.begin(), matches.end(), [](const TProjectNode& n) { return n.Kind == TNodeKind::nkProject; }))
        std::erase_if(matches, [](const TProjectNode& n) { return n.Kind == TNodeKind::nkTemplate; });
    else if (!matches.empty()) {
        error = "'" + matches[0].NodePath + "' is a template; templates are not downloaded";
        return "";
    }
    if (matches.size() == 1) return matches[0].File;
    if (matches.empty()) {
        error = "no project '" + name + "' in " + ProjectsDirectory(home) + listHint;
        return "";
    }
    error = "'" + name + "' names " + std::to_string(matches.size()) + " projects:";
    for (const TProjectNode& node : matches) error += " " + node.NodePath;
    error += "; give the whole name";
    return "";
}

} // namespace vorlin::cli
