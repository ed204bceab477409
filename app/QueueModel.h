// The download queue: projects in the order they will run; row 0 is the
// head (the running or next project). The head can't be moved or
// displaced. Columns: caption, size, date of the last download.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::app {

extern const char* const kQueueRowMimeType;

struct TQueueItem {
    TDownloadProject* Project = nullptr;  // owned by its tree node
    std::string Caption;
    std::string SizeText;  // "%d KB" when queued, "%.2f KB" while the head runs
};

class TQueueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TQueueModel(QObject* parent = nullptr);

    int Count() const { return static_cast<int>(FItems.size()); }
    const TQueueItem& Item(int row) const { return FItems[static_cast<size_t>(row)]; }
    TDownloadProject* Head() const { return FItems.empty() ? nullptr : FItems.front().Project; }
    int RowOf(const TDownloadProject* project) const;

    void Append(TDownloadProject* project, const std::string& caption);
    void RemoveAt(int row);
    // Removes every item of the project (its node is being deleted).
    void RemoveProject(const TDownloadProject* project);
    void Clear();
    // Moves the item at row `from` so that it ends up at row `to`; neither
    // may be the head. False when refused.
    bool MoveItem(int from, int to);
    void SetCaption(const TDownloadProject* project, const std::string& caption);
    void SetHeadSize(const std::string& text);
    // Redraws the row of the project (its statistics changed).
    void Refresh(const TDownloadProject* project);

    // A drop of project nodes from the tree (the window enqueues them).
    std::function<void(const QMimeData* data)> OnNodesDropped;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The image of the head while a download runs (the bouncing icon).
    void SetHeadAnimationStep(int step);
    int HeadAnimationStep() const { return FAnimationStep; }

private:
    std::vector<TQueueItem> FItems;
    int FAnimationStep = -1;  // -1: still
};

} // namespace vorlin::app
