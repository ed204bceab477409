// The project tree of a program directory, as the desktop program shows it:
// the three top-level folders "Projects", "Quick Projects" and "Templates",
// their folders and their projects, mirrored by the directories and ".prj"
// files below home/"Projects". A node is named by its NodePath
// ("/Quick Projects/www.example.org"), which `vorlin list` prints and
// `vorlin run` takes.
#pragma once

#include <string>
#include <vector>

namespace vorlin::cli {

enum class TNodeKind { nkFolder, nkProject, nkTemplate };

struct TProjectNode {
    TNodeKind Kind = TNodeKind::nkFolder;
    std::string NodePath;  // "/" and the captions from the top-level folder down
    std::string Caption;
    std::string File;      // a project's or template's ".prj" (host path)
    int Depth = 0;         // 0 for the top-level folders
};

// home/"Projects/".
std::string ProjectsDirectory(const std::string& home);

// The tree in its order: each top-level folder, then below every folder its
// subfolders (each filled before the next) and then its projects, both by
// name. The top-level folders are there even when their directory is not.
std::vector<TProjectNode> ListProjectTree(const std::string& home);

// The NodePath of a project file below home/"Projects", else empty.
std::string NodePathOf(const std::string& home, const std::string& projectFile);

// The form in which two start URLs are compared: "http://" put in front of
// an address without a scheme, "/" after a bare host, the scheme and host in
// lower case, the default port left out.
std::string StartURLKey(const std::string& url);

// A start URL as printed: "http://" in front when it was typed without a
// scheme (as the run reads it), its password hidden.
std::string ShownStartURL(const std::string& url);

// The ".prj" of the first project outside "Templates", in tree order, whose
// URL is url (compared by StartURLKey) and, when destination is not empty,
// whose target directory is destination. Empty when there is none.
std::string FindProjectForURL(const std::string& home, const std::string& url, const std::string& destination);

// The ".prj" a user named: a project file's path, a NodePath (the leading
// "/" may be left out), or a caption that one project alone carries. Empty
// with a message when the name gives no project, several, or a template.
std::string ResolveProject(const std::string& home, const std::string& name, std::string& error);

} // namespace vorlin::cli
