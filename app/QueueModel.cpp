#include "app/QueueModel.h"

#include "app/DisplayFormats.h"
#include "app/MainWindowTexts.h"
#include "app/ProjectTreeModel.h"
#include "app/texts/Texts.h"
#include "project/DownloadProject.h"

#include <QApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QStyle>

namespace vorlin::app {

const char* const kQueueRowMimeType = "application/x-httpvorlin-queue-row";

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }
}

TQueueModel::TQueueModel(QObject* parent) : QAbstractTableModel(parent) {}

int TQueueModel::RowOf(const TDownloadProject* project) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Project == project) return static_cast<int>(i);
    return -1;
}

void TQueueModel::Append(TDownloadProject* project, const std::string& caption) {
    const int row = Count();
    beginInsertRows({}, row, row);
    FItems.push_back({project, caption, WholeKBText(project->ProjectSize)});
    endInsertRows();
}

void TQueueModel::RemoveAt(int row) {
    if (row < 0 || row >= Count()) return;
    beginRemoveRows({}, row, row);
    FItems.erase(FItems.begin() + row);
    endRemoveRows();
    if (row == 0) FAnimationStep = -1;
}

void TQueueModel::RemoveProject(const TDownloadProject* project) {
    for (int row = Count() - 1; row >= 0; --row)
        if (FItems[static_cast<size_t>(row)].Project == project) RemoveAt(row);
}

void TQueueModel::Clear() {
    beginResetModel();
    FItems.clear();
    FAnimationStep = -1;
    endResetModel();
}

bool TQueueModel::MoveItem(int from, int to) {
    if (from <= 0 || from >= Count() || to <= 0 || to >= Count() || from == to) return false;
    // Qt's destination row counts before the move.
    const int destination = to > from ? to + 1 : to;
    beginMoveRows({}, from, from, {}, destination);
    TQueueItem item = FItems[static_cast<size_t>(from)];
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, item);
    endMoveRows();
    return true;
}

void TQueueModel::SetCaption(const TDownloadProject* project, const std::string& caption) {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Project == project) {
            FItems[i].Caption = caption;
            emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), 0));
        }
}

void TQueueModel::SetHeadSize(const std::string& text) {
    if (FItems.empty()) return;
    FItems.front().SizeText = text;
    emit dataChanged(index(0, 1), index(0, 1));
}

void TQueueModel::Refresh(const TDownloadProject* project) {
    const int row = RowOf(project);
    if (row < 0) return;
    emit dataChanged(index(row, 0), index(row, 2));
}

void TQueueModel::SetHeadAnimationStep(int step) {
    FAnimationStep = step;
    if (!FItems.empty()) emit dataChanged(index(0, 0), index(0, 0), {Qt::DecorationRole});
}

int TQueueModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }
int TQueueModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TQueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const TQueueItem& item = FItems[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return Q(item.Caption);
        case 1: return Q(item.SizeText);
        case 2:
            return item.Project->LastDownloadDate == 0 ? Q(Text(mtNeverRun))
                                                       : Q(DateText(item.Project->LastDownloadDate));
        }
    }
    if (role == Qt::DecorationRole && index.column() == 0) {
        QStyle* style = QApplication::style();
        if (index.row() == 0 && FAnimationStep >= 0) {
            static const QStyle::StandardPixmap kSteps[] = {QStyle::SP_ArrowRight, QStyle::SP_ArrowDown,
                                                             QStyle::SP_ArrowLeft, QStyle::SP_ArrowUp};
            return style->standardIcon(kSteps[FAnimationStep % 4]);
        }
        return style->standardIcon(QStyle::SP_FileIcon);
    }
    return {};
}

QVariant TQueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const int kColumns[] = {mtColName, mtColSize, mtColLastUpdate};
    return section >= 0 && section < 3 ? Q(Text(kColumns[section])) : QVariant();
}

Qt::ItemFlags TQueueModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.row() > 0) flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList TQueueModel::mimeTypes() const { return {kQueueRowMimeType, kNodeMimeType}; }

QMimeData* TQueueModel::mimeData(const QModelIndexList& indexes) const {
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.row() > 0) {
            QByteArray bytes;
            QDataStream(&bytes, QIODevice::WriteOnly) << qint32(index.row());
            auto* data = new QMimeData;
            data->setData(kQueueRowMimeType, bytes);
            return data;
        }
    return nullptr;
}

bool TQueueModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                                  const QModelIndex& parent) const {
    if (!data) return false;
    if (data->hasFormat(kNodeMimeType)) return true;
    if (!data->hasFormat(kQueueRowMimeType)) return false;
    // Dropping above the head would displace it.
    const int target = parent.isValid() ? parent.row() : row;
    return target != 0 || Count() == 0;
}

bool TQueueModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                               const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) return false;
    if (data->hasFormat(kNodeMimeType)) {
        if (OnNodesDropped) OnNodesDropped(data);
        return false;
    }
    QByteArray bytes = data->data(kQueueRowMimeType);
    qint32 from = -1;
    QDataStream(&bytes, QIODevice::ReadOnly) >> from;
    int to = parent.isValid() ? parent.row() : row;
    if (to < 0 || to > Count()) to = Count();
    // The gap "before row to": the item lands at to, or at to - 1 when it
    // came from above.
    if (to > from) --to;
    if (to >= Count()) to = Count() - 1;
    MoveItem(from, to);
    // The rows were moved here; the view must not remove the source.
    return false;
}

} // namespace vorlin::app
