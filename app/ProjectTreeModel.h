// The project tree as a Qt item model: one row per node, columns caption
// and date of the last download. Renaming and drops are handed to the
// window (which asks and reports); the tree itself tells the model of every
// change through ITreeObserver.
#pragma once

#include "app/ProjectTree.h"

#include <QAbstractItemModel>
#include <functional>

namespace vorlin::app {

// The MIME type of dragged project nodes (their ids, in this process only).
extern const char* const kNodeMimeType;

class TProjectTreeModel : public QAbstractItemModel, public ITreeObserver {
    Q_OBJECT
public:
    explicit TProjectTreeModel(TProjectTree& tree, QObject* parent = nullptr);
    ~TProjectTreeModel() override;

    TProjectTree& Tree() const { return FTree; }
    TProjectNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TProjectNode* node, int column = 0) const;

    // Called for an in-place edit and for a drop; the window does the work.
    std::function<void(TProjectNode* node, const std::string& caption)> OnRename;
    std::function<void(TProjectNode* node, TProjectNode* target)> OnMove;
    // The project that may not be renamed or moved now (the running one).
    std::function<bool(const TProjectNode* node)> IsLocked;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The nodes a drag carries, looked up again by id.
    std::vector<TProjectNode*> NodesOf(const QMimeData* data) const;

    // ITreeObserver
    void BeginReset() override { beginResetModel(); }
    void EndReset() override { endResetModel(); }
    void BeginInsert(TProjectNode* parent, int row) override;
    void EndInsert() override { endInsertRows(); }
    void BeginRemove(TProjectNode* parent, int row) override;
    void EndRemove() override { endRemoveRows(); }
    void NodeChanged(TProjectNode* node) override;

private:
    TProjectTree& FTree;
};

} // namespace vorlin::app
