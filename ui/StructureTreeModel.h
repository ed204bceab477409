// The structure view of a running project: one node per URL segment (host,
// directories, file), each showing the total size of everything below it.
// Built for large sites: new nodes are staged during a batch and shown with
// one row insertion per parent when the batch ends; sizes are added to every
// ancestor as they change. A node may carry an opaque link pointer that the
// owner gives meaning to (the model never follows it).
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vorlin::ui {

struct TStructureNode;

class TStructureTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TStructureTreeModel(QObject* parent = nullptr);
    ~TStructureTreeModel() override;

    // Column captions and the display names of the link states (by state number).
    void SetCaptions(const QStringList& columns, const QStringList& stateNames);

    // Changes between BeginBatch and EndBatch are shown at EndBatch.
    void BeginBatch();
    void EndBatch();
    // The node for the segments (created below the existing ones as
    // needed), with the link, its size and its state set. Answers the node.
    TStructureNode* Add(const std::vector<std::string>& segments, void* link, int64_t size, int state);
    // New size and state of a node; the size difference goes to every ancestor.
    void Update(TStructureNode* node, int64_t size, int state);

    // Empties the view; before that, visit(link) is called for every link
    // still carried, so its owner can forget the node.
    void Clear(const std::function<void(void* link)>& visit = {});
    // Drops the link pointers (their links are about to be freed).
    void ForgetLinks();

    void* LinkOf(const QModelIndex& index) const;
    // "/" + the captions from the top down ("/host/dir/file").
    std::string PathOf(const QModelIndex& index) const;
    int64_t TotalOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TStructureNode* node) const;
    size_t NodeCount() const { return FNodeCount; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TStructureNode* Child(TStructureNode* parent, const std::string& caption);
    void Stage(TStructureNode* parent, std::unique_ptr<TStructureNode> node);
    void AddToTotals(TStructureNode* node, int64_t difference);
    void Flush();

    std::unique_ptr<TStructureNode> FRoot;
    std::vector<TStructureNode*> FStagedParents;  // in the order their first child was staged
    std::unordered_set<TStructureNode*> FDirty;
    int FBatchDepth = 0;
    size_t FNodeCount = 0;
    QStringList FColumns, FStateNames;
};

} // namespace vorlin::ui
