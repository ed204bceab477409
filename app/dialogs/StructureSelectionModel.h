// The tree of the file selection: one node per segment of the links' URLs
// (host, directories, file), children sorted, the links of kind lkHttp and
// lkRelative at the nodes their URLs end in. A node is ticked when one of
// its links is forced; ticking a node ticks everything below it; a node with
// children shows whether all, some or none below it are ticked. Built once
// from a snapshot of the links, so it stays quick with 100,000 links and
// never walks a list that a run is adding to.
#pragma once

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadLink;
class TDownloadProject;
}

namespace vorlin::app {

// What the tree needs of one link, read under the link's lock.
struct TStructureEntry {
    TDownloadLink* Link = nullptr;
    std::string Server, Path;
    bool Forced = false;  // IsForced()
};

// The links of kind lkHttp and lkRelative. It walks the project's link list,
// so it must run where nothing adds to the list meanwhile: on the front
// end's thread while no run exists or the run waits for an answer, else on
// the run's own thread (RunSynchronized).
std::vector<TStructureEntry> CollectStructure(TDownloadProject& project);

class TStructureSelectionModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Called while building: links done, links in all.
    using TProgress = std::function<void(int done, int total)>;

    explicit TStructureSelectionModel(const std::vector<TStructureEntry>& entries, const TProgress& progress = {},
                                      QObject* parent = nullptr);
    // The same over CollectStructure(project).
    explicit TStructureSelectionModel(TDownloadProject& project, const TProgress& progress = {},
                                      QObject* parent = nullptr);
    ~TStructureSelectionModel() override;

    // Ticks or unticks the node and everything below it.
    void SetChecked(const QModelIndex& index, bool checked);
    // Ticks every node (and what lies below it) whose caption matches;
    // never unticks one. The number of nodes that matched.
    int CheckMatching(const std::string& mask, bool caseSensitive);
    void CheckAll();
    // Sets each link's Forced to its node's tick, under the link's lock.
    void WriteBack() const;

    // The node's links (empty for a directory no link names).
    std::vector<TDownloadLink*> LinksAt(const QModelIndex& index) const;
    // The index of the node reached by these captions from the top, or invalid.
    QModelIndex Find(const QStringList& captions) const;
    int NodeCount() const { return FNodeCount; }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    struct TNode;

private:
    TNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TNode* node) const;
    void Build(const std::vector<TStructureEntry>& entries, const TProgress& progress);
    // After the ticks below changed: counts again and tells the views.
    void Recount(TNode* node);
    void AnnounceSubtree(const TNode* node);

    std::unique_ptr<TNode> FRoot;
    int FNodeCount = 0;
};

// The captions of the nodes a URL lies under: the host (with its port),
// then the path's segments percent-decoded; the query stays with the last.
QStringList StructureCaptions(const std::string& server, const std::string& path);

} // namespace vorlin::app
