#include "app/ProjectTree.h"

#include "platform/DebugLog.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "project/DeleteDownloadedFiles.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace vorlin::app {

// The project's own files, renamed and deleted with it (".prj.manners"
// holds its robots, wait and cookie settings).
const char* const kProjectFileSuffixes[6] = {".prj", ".prj.rules", ".prj.plugins", ".prj.manners", ".dat", ".dat.plugins"};

int TProjectNode::Row() const {
    if (!Parent) return -1;
    for (size_t i = 0; i < Parent->Children.size(); ++i)
        if (Parent->Children[i].get() == this) return static_cast<int>(i);
    return -1;
}

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

TProjectTree::TProjectTree(std::string programDir, std::vector<std::string> topCaptions)
    : FProgramDir(IncludeTrailingSlash(programDir)) {
    topCaptions.resize(3);
    for (const std::string& caption : topCaptions) FTop.push_back(MakeNode(caption, true));
}

TProjectTree::~TProjectTree() = default;

std::unique_ptr<TProjectNode> TProjectTree::MakeNode(const std::string& caption, bool isFolder) {
    auto node = std::make_unique<TProjectNode>();
    node->Caption = caption;
    node->IsFolder = isFolder;
    node->Id = FNextId++;
    return node;
}

TNodeKind TProjectTree::KindOf(const TProjectNode* node) const {
    if (IsTopFolder(node)) return TNodeKind::nkTopFolder;
    if (node->IsFolder) return TNodeKind::nkFolder;
    return IsUnderTemplates(node) ? TNodeKind::nkTemplate : TNodeKind::nkProject;
}

bool TProjectTree::IsFolderKind(const TProjectNode* node) const { return node && (node->IsFolder || !node->Parent); }

bool TProjectTree::IsUnderTemplates(const TProjectNode* node) const {
    while (node && node->Parent) node = node->Parent;
    return node == Templates();
}

TProjectNode* TProjectTree::FolderOf(TProjectNode* node) const {
    if (!node) return nullptr;
    return IsFolderKind(node) ? node : node->Parent;
}

std::string TProjectTree::NodePath(const TProjectNode* node) const {
    std::string path;
    for (; node; node = node->Parent) path.insert(0, "/" + node->Caption);
    return path;
}

std::string TProjectTree::ProjectsDirectory() const { return FProgramDir + "Projects"; }

std::string TProjectTree::BasePath(const TProjectNode* node) const { return ProjectsDirectory() + NodePath(node); }

void TProjectTree::SetDataFileName(TProjectNode* node) {
    if (node->Project) node->Project->DataFileName = BasePath(node) + ".dat";
}

std::string TProjectTree::CleanCaption(const std::string& text, char with) {
    std::string clean = text;
    for (char& c : clean) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || c == '"' || c == '*' || c == '/' || c == ':' || c == '<' || c == '>' || c == '?' ||
            c == '\\' || c == '|')
            c = with;
    }
    return clean;
}

TProjectNode* TProjectTree::ChildByCaption(const TProjectNode* parent, const std::string& caption) const {
    if (!parent) {
        for (const auto& top : FTop)
            if (top->Caption == caption) return top.get();
        return nullptr;
    }
    for (const auto& child : parent->Children)
        if (child->Caption == caption) return child.get();
    return nullptr;
}

std::string TProjectTree::UniqueCaption(const TProjectNode* parent, const std::string& text) const {
    if (!ChildByCaption(parent, text)) return text;
    for (int n = 2;; ++n) {
        std::string candidate = text + " (" + std::to_string(n) + ")";
        if (!ChildByCaption(parent, candidate)) return candidate;
    }
}

TProjectNode* TProjectTree::Insert(TProjectNode* parent, std::unique_ptr<TProjectNode> node) {
    node->Parent = parent;
    const int row = static_cast<int>(parent->Children.size());
    if (FObserver) FObserver->BeginInsert(parent, row);
    TProjectNode* raw = node.get();
    parent->Children.push_back(std::move(node));
    if (FObserver) FObserver->EndInsert();
    return raw;
}

std::unique_ptr<TProjectNode> TProjectTree::Detach(TProjectNode* node) {
    TProjectNode* parent = node->Parent;
    const int row = node->Row();
    if (FObserver) FObserver->BeginRemove(parent, row);
    std::unique_ptr<TProjectNode> owned = std::move(parent->Children[static_cast<size_t>(row)]);
    parent->Children.erase(parent->Children.begin() + row);
    owned->Parent = nullptr;
    if (FObserver) FObserver->EndRemove();
    return owned;
}

// --- Loading and saving ------------------------------------------------------

void TProjectTree::Load(const std::function<void()>& progress) {
    SaveAll();
    if (FObserver) FObserver->BeginReset();
    for (auto& top : FTop) top->Children.clear();
    if (FObserver) FObserver->EndReset();
    ForceDirectories(ProjectsDirectory());
    for (auto& top : FTop) LoadDirectory(top.get(), BasePath(top.get()), progress);
}

void TProjectTree::LoadDirectory(TProjectNode* parent, const std::string& directory,
                                 const std::function<void()>& progress) {
    std::vector<std::string> names = ListDirectory(directory);
    std::sort(names.begin(), names.end());
    // Folders first, each filled before the next; then the projects.
    for (const std::string& name : names) {
        const std::string path = directory + "/" + name;
        if (!IsDirectory(path)) continue;
        TProjectNode* folder = Insert(parent, MakeNode(name, true));
        if (progress) progress();
        LoadDirectory(folder, path, progress);
    }
    for (const std::string& name : names) {
        const std::string path = directory + "/" + name;
        if (!EndsWith(name, ".prj") || name.size() == 4 || IsDirectory(path)) continue;
        auto node = MakeNode(name.substr(0, name.size() - 4), false);
        try {
            auto project = std::make_unique<TDownloadProject>();
            TProjectLoadReport report = project->LoadFromFile(path);
            // Nothing readable at all is not a project: saving it back would
            // put an empty one in place of the user's file.
            if (report.ValuesRead == 0) throw Exception(report.ReadError.empty() ? "no project data" : report.ReadError);
            if (!report.ReadError.empty()) DebugLogReport("Error in LoadProjectTree ()", path + ": " + report.ReadError);
            project->IsNew = false;
            node->Project = std::move(project);
        } catch (const std::exception& e) {
            // The node stays, without a project, so the file is neither lost
            // nor overwritten by an empty one at the next save.
            DebugLogReport("Error in LoadProjectTree ()", path + ": " + e.what());
        }
        TProjectNode* inserted = Insert(parent, std::move(node));
        SetDataFileName(inserted);
        if (progress) progress();
    }
}

void TProjectTree::SaveAll() {
    std::string firstError;
    ForEach([&](TProjectNode* node) {
        try {
            if (IsFolderKind(node)) {
                if (!ForceDirectories(BasePath(node))) throw Exception("can't create " + BasePath(node));
            } else if (node->Project) {
                node->Project->SaveToFile(BasePath(node) + ".prj");
            }
        } catch (const std::exception& e) {
            if (firstError.empty()) firstError = e.what();
        }
    });
    if (!firstError.empty()) throw Exception("Error saving projects (" + firstError + ")");
}

void TProjectTree::Clear() {
    if (FObserver) FObserver->BeginReset();
    for (auto& top : FTop) top->Children.clear();
    if (FObserver) FObserver->EndReset();
}

void TProjectTree::ForEach(const std::function<void(TProjectNode*)>& visit) const {
    std::function<void(TProjectNode*)> walk = [&](TProjectNode* node) {
        visit(node);
        for (auto& child : node->Children) walk(child.get());
    };
    for (const auto& top : FTop) walk(top.get());
}

// --- New nodes -----------------------------------------------------------------

TProjectNode* TProjectTree::NewFolder(TProjectNode* parent, const std::string& caption) {
    std::string name = UniqueCaption(parent, CleanCaption(caption, '_'));
    const std::string directory = BasePath(parent) + "/" + name;
    if (!ForceDirectories(directory)) throw Exception("can't create the directory " + directory);
    return Insert(parent, MakeNode(name, true));
}

TProjectNode* TProjectTree::NewProject(TProjectNode* parent, const std::string& caption) {
    const char with = IsUnderTemplates(parent) ? ',' : '_';
    std::string name = UniqueCaption(parent, CleanCaption(caption, with));
    auto node = MakeNode(name, false);
    node->Project = std::make_unique<TDownloadProject>();
    TProjectNode* inserted = Insert(parent, std::move(node));
    SetDataFileName(inserted);
    ForceDirectories(BasePath(parent));
    inserted->Project->SaveToFile(BasePath(inserted) + ".prj");
    return inserted;
}

// --- Renaming ------------------------------------------------------------------

void TProjectTree::RenameProjectFiles(const std::string& fromBase, const std::string& toBase) {
    // Refuse before touching anything when a target is taken, so a failure
    // never leaves a project half renamed or overwrites another's files.
    for (const char* suffix : kProjectFileSuffixes)
        if (FileExists(fromBase + suffix) && FileExists(toBase + suffix))
            throw Exception("the file " + toBase + suffix + " exists already");
    std::vector<const char*> done;
    for (const char* suffix : kProjectFileSuffixes) {
        if (!FileExists(fromBase + suffix)) continue;
        if (!RenameFile(fromBase + suffix, toBase + suffix)) {
            for (const char* back : done) RenameFile(toBase + back, fromBase + back);
            throw Exception("can't rename " + fromBase + suffix + " to " + toBase + suffix);
        }
        done.push_back(suffix);
    }
}

TProjectTree::TRenameResult TProjectTree::Rename(TProjectNode* node, const std::string& caption) {
    if (caption.empty() || IsTopFolder(node)) return TRenameResult::rrIgnored;
    if (caption == node->Caption) return TRenameResult::rrIgnored;
    for (const auto& sibling : node->Parent->Children)
        if (sibling.get() != node && sibling->Caption == caption) return TRenameResult::rrDuplicate;
    std::string clean = CleanCaption(caption, '_');
    if (clean == node->Caption) return TRenameResult::rrIgnored;
    // Cleaning may make it equal to a sibling it did not equal before.
    for (const auto& sibling : node->Parent->Children)
        if (sibling.get() != node && sibling->Caption == clean) return TRenameResult::rrDuplicate;
    const std::string from = BasePath(node);
    const std::string to = BasePath(node->Parent) + "/" + clean;
    if (node->IsFolder) {
        if (DirectoryExists(from)) {
            if (DirectoryExists(to) || FileExists(to)) throw Exception("the directory " + to + " exists already");
            if (!RenameFile(from, to)) throw Exception("can't rename " + from + " to " + to);
        } else if (!ForceDirectories(to)) {
            throw Exception("can't create the directory " + to);
        }
    } else {
        RenameProjectFiles(from, to);
    }
    node->Caption = clean;
    ForEach([this, node](TProjectNode* each) {
        for (TProjectNode* up = each; up; up = up->Parent)
            if (up == node) {
                SetDataFileName(each);
                break;
            }
    });
    if (FObserver) FObserver->NodeChanged(node);
    return TRenameResult::rrRenamed;
}

// --- Deleting ------------------------------------------------------------------

void TProjectTree::DeleteNodeFiles(TProjectNode* node, bool deleteDownloaded, const TProgramSettings& settings,
                                   const std::function<void(TDownloadProject*)>& beforeRemove) {
    for (auto& child : node->Children) DeleteNodeFiles(child.get(), deleteDownloaded, settings, beforeRemove);
    if (node->IsFolder) return;
    const std::string base = BasePath(node);
    if (node->Project) {
        if (beforeRemove) beforeRemove(node->Project.get());
        if (deleteDownloaded && !IsUnderTemplates(node) && FileExists(base + ".dat")) {
            TDownloadProject& project = *node->Project;
            try {
                project.Links->LoadFromFile(base + ".dat");
            } catch (const std::exception& e) {
                // What could be read is deleted all the same.
                DebugLogReport("Error in DeleteProject ()", e.what());
            }
            DeleteDownloadedFiles(project, settings);
            project.Links->Clear();
        }
    }
    for (const char* suffix : kProjectFileSuffixes) DeleteFile(base + suffix);
}

void TProjectTree::Delete(TProjectNode* node, bool deleteDownloaded, const TProgramSettings& settings,
                          const std::function<void(TDownloadProject*)>& beforeRemove) {
    if (!node || IsTopFolder(node)) return;
    DeleteNodeFiles(node, deleteDownloaded, settings, beforeRemove);
    if (node->IsFolder) {
        // Deepest first; a directory still holding files of the user's own stays.
        std::vector<std::string> directories;
        std::function<void(TProjectNode*)> collect = [&](TProjectNode* n) {
            for (auto& child : n->Children)
                if (child->IsFolder) collect(child.get());
            directories.push_back(BasePath(n));
        };
        collect(node);
        for (const std::string& directory : directories)
            if (DirectoryExists(directory) && !RemoveDir(directory))
                DebugLog("The folder " + directory + " still holds other files and was kept");
    }
    Detach(node);
}

// --- Moving --------------------------------------------------------------------

bool TProjectTree::CanMove(const TProjectNode* node, const TProjectNode* target) const {
    if (!node || !target || IsTopFolder(node)) return false;
    const TProjectNode* folder = IsFolderKind(target) ? target : target->Parent;
    if (!folder || folder == node->Parent) return false;
    if (IsUnderTemplates(node) || IsUnderTemplates(folder)) return false;
    if (node->IsFolder && IsUnderTemplates(folder)) return false;
    // Only projects go into "Quick Projects" (and nothing below it is a folder's place).
    const TProjectNode* top = folder;
    while (top->Parent) top = top->Parent;
    if (top == QuickProjects() && node->IsFolder) return false;
    // A folder can't go into itself or below itself.
    for (const TProjectNode* up = folder; up; up = up->Parent)
        if (up == node) return false;
    return true;
}

TProjectNode* TProjectTree::MoveProject(TProjectNode* node, TProjectNode* folder) {
    std::string caption = UniqueCaption(folder, node->Caption);
    const std::string to = BasePath(folder) + "/" + caption;
    ForceDirectories(BasePath(folder));
    RenameProjectFiles(BasePath(node), to);
    auto moved = MakeNode(caption, false);
    moved->Project = std::move(node->Project);
    TProjectNode* inserted = Insert(folder, std::move(moved));
    SetDataFileName(inserted);
    Detach(node);
    return inserted;
}

TProjectNode* TProjectTree::MoveFolder(TProjectNode* node, TProjectNode* folder) {
    TProjectNode* into = ChildByCaption(folder, node->Caption);
    if (into && !into->IsFolder) into = nullptr;
    if (!into) {
        const std::string caption = UniqueCaption(folder, node->Caption);
        const std::string directory = BasePath(folder) + "/" + caption;
        if (!ForceDirectories(directory)) throw Exception("can't create the directory " + directory);
        into = Insert(folder, MakeNode(caption, true));
    }
    while (!node->Children.empty()) {
        TProjectNode* child = node->Children.front().get();
        if (child->IsFolder)
            MoveFolder(child, into);
        else
            MoveProject(child, into);
    }
    const std::string directory = BasePath(node);
    if (DirectoryExists(directory) && !RemoveDir(directory))
        DebugLog("The folder " + directory + " still holds other files and was kept");
    Detach(node);
    return into;
}

TProjectNode* TProjectTree::Move(TProjectNode* node, TProjectNode* target) {
    if (!CanMove(node, target)) return nullptr;
    TProjectNode* folder = IsFolderKind(target) ? target : target->Parent;
    return node->IsFolder ? MoveFolder(node, folder) : MoveProject(node, folder);
}

// --- Finding -------------------------------------------------------------------

TProjectNode* TProjectTree::FindByPath(const std::string& nodePath) const {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= nodePath.size()) {
        size_t slash = nodePath.find('/', start);
        if (slash == std::string::npos) slash = nodePath.size();
        if (slash > start) parts.push_back(nodePath.substr(start, slash - start));
        start = slash + 1;
    }
    if (parts.empty()) return nullptr;
    TProjectNode* node = ChildByCaption(nullptr, parts[0]);
    for (size_t i = 1; node && i < parts.size(); ++i) node = ChildByCaption(node, parts[i]);
    return node;
}

TProjectNode* TProjectTree::FindById(uint32_t id) const {
    TProjectNode* found = nullptr;
    if (id == 0) return nullptr;
    ForEach([&](TProjectNode* node) {
        if (!found && node->Id == id) found = node;
    });
    return found;
}

} // namespace vorlin::app
