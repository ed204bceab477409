// The project tree: folders, projects and templates, mirrored one to one by
// directories and project file families under the program's "Projects"
// directory. Qt-free; the tree model (ProjectTreeModel.h) shows it and is
// told of every change through an ITreeObserver, so each operation here
// keeps disk and nodes in step in one place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
struct TProgramSettings;
}

namespace vorlin::app {

enum class TNodeKind { nkTopFolder, nkFolder, nkProject, nkTemplate };

struct TProjectNode {
    std::string Caption;
    std::unique_ptr<TDownloadProject> Project;  // none when its file could not be read
    bool IsFolder = false;
    TProjectNode* Parent = nullptr;
    std::vector<std::unique_ptr<TProjectNode>> Children;
    // Stable number handed to other programs (the scheduler) instead of an
    // address, so a value coming back is looked up, never trusted.
    uint32_t Id = 0;

    int Row() const;
};

// Told before and after each structural change, as item models need.
class ITreeObserver {
public:
    virtual ~ITreeObserver() = default;
    virtual void BeginReset() = 0;
    virtual void EndReset() = 0;
    virtual void BeginInsert(TProjectNode* parent, int row) = 0;
    virtual void EndInsert() = 0;
    virtual void BeginRemove(TProjectNode* parent, int row) = 0;
    virtual void EndRemove() = 0;
    virtual void NodeChanged(TProjectNode* node) = 0;
};

// The files of a project or template, as suffixes of its base path (the
// five of the design and ".prj.manners").
extern const char* const kProjectFileSuffixes[6];

class TProjectTree {
public:
    // programDir: the program directory ("Projects" lives below it).
    // topCaptions: "Projects", "Quick Projects", "Templates" in the
    // current language; they name their directories too.
    TProjectTree(std::string programDir, std::vector<std::string> topCaptions);
    ~TProjectTree();

    void SetObserver(ITreeObserver* observer) { FObserver = observer; }

    TProjectNode* Projects() const { return FTop[0].get(); }
    TProjectNode* QuickProjects() const { return FTop[1].get(); }
    TProjectNode* Templates() const { return FTop[2].get(); }
    int TopCount() const { return static_cast<int>(FTop.size()); }
    TProjectNode* Top(int row) const { return FTop[static_cast<size_t>(row)].get(); }

    TNodeKind KindOf(const TProjectNode* node) const;
    bool IsTopFolder(const TProjectNode* node) const { return node && node->Parent == nullptr; }
    bool IsFolderKind(const TProjectNode* node) const;  // top folder or folder
    bool IsUnderTemplates(const TProjectNode* node) const;
    // The folder a new node beside this one goes into.
    TProjectNode* FolderOf(TProjectNode* node) const;

    // "/Projects/News/Daily".
    std::string NodePath(const TProjectNode* node) const;
    // The node's directory (folders) or base path without extension
    // (projects): program directory + "Projects" + NodePath.
    std::string BasePath(const TProjectNode* node) const;
    std::string ProjectsDirectory() const;

    // Rebuilds the tree from the "Projects" directory (after saving what is
    // there). progress(node) is called after each node. Errors of single
    // files are reported through the debug log and the rest goes on.
    void Load(const std::function<void()>& progress = {});
    // Writes every project's ".prj" and creates every folder's directory.
    // Goes on past a failure and then throws the first one as
    // "Error saving projects (...)".
    void SaveAll();
    // Drops every node (at close, after saving).
    void Clear();

    // Every control character, '"' and * / : < > ? \ | replaced by `with`.
    static std::string CleanCaption(const std::string& text, char with);
    // text, or "text (2)", "text (3)", ... until no child of parent has it.
    std::string UniqueCaption(const TProjectNode* parent, const std::string& text) const;
    TProjectNode* ChildByCaption(const TProjectNode* parent, const std::string& caption) const;

    // New nodes (unique captions; the caption is cleaned first). A folder's
    // directory is created; a project gets a new TDownloadProject with its
    // DataFileName set, written to its ".prj".
    TProjectNode* NewFolder(TProjectNode* parent, const std::string& caption);
    TProjectNode* NewProject(TProjectNode* parent, const std::string& caption);

    enum class TRenameResult { rrIgnored, rrDuplicate, rrRenamed };
    // In-place edit: empty is ignored, a sibling's caption refused (nothing
    // changes); otherwise cleaned with "_", directory or files renamed.
    // Throws when the files can't be renamed (then nothing changed).
    TRenameResult Rename(TProjectNode* node, const std::string& caption);

    // Deletes the node with its children and files. With deleteDownloaded,
    // each project's downloaded files go too (its link data loaded for it).
    // beforeRemove(project) is called for every project about to go (the
    // queue drops it). A folder's directory is removed only when it is
    // empty afterwards, so files of the user's own in it survive.
    void Delete(TProjectNode* node, bool deleteDownloaded, const TProgramSettings& settings,
                const std::function<void(TDownloadProject*)>& beforeRemove = {});

    // Drag and drop: may node go into target (a folder, or a project whose
    // folder takes it)?
    bool CanMove(const TProjectNode* node, const TProjectNode* target) const;
    // Moves it; answers the node in its new place (projects: a new node).
    TProjectNode* Move(TProjectNode* node, TProjectNode* target);

    // The node named by a node path ("/Projects/News/Daily"), or null.
    TProjectNode* FindByPath(const std::string& nodePath) const;
    TProjectNode* FindById(uint32_t id) const;
    // Every node in tree order.
    void ForEach(const std::function<void(TProjectNode*)>& visit) const;

private:
    TProjectNode* Insert(TProjectNode* parent, std::unique_ptr<TProjectNode> node);
    std::unique_ptr<TProjectNode> Detach(TProjectNode* node);
    void LoadDirectory(TProjectNode* parent, const std::string& directory, const std::function<void()>& progress);
    void DeleteNodeFiles(TProjectNode* node, bool deleteDownloaded, const TProgramSettings& settings,
                         const std::function<void(TDownloadProject*)>& beforeRemove);
    void RenameProjectFiles(const std::string& fromBase, const std::string& toBase);
    TProjectNode* MoveProject(TProjectNode* node, TProjectNode* folder);
    TProjectNode* MoveFolder(TProjectNode* node, TProjectNode* folder);
    std::unique_ptr<TProjectNode> MakeNode(const std::string& caption, bool isFolder);
    void SetDataFileName(TProjectNode* node);

    std::string FProgramDir;
    std::vector<std::unique_ptr<TProjectNode>> FTop;
    ITreeObserver* FObserver = nullptr;
    uint32_t FNextId = 1;
};

} // namespace vorlin::app
