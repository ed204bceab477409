#include "app/ProjectTreeModel.h"

#include "app/DisplayFormats.h"
#include "app/MainWindowTexts.h"
#include "app/texts/Texts.h"
#include "platform/DateTime.h"
#include "project/DownloadProject.h"

#include <QApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QStyle>

namespace vorlin::app {

const char* const kNodeMimeType = "application/x-httpvorlin-nodes";

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

TProjectTreeModel::TProjectTreeModel(TProjectTree& tree, QObject* parent) : QAbstractItemModel(parent), FTree(tree) {
    FTree.SetObserver(this);
}

TProjectTreeModel::~TProjectTreeModel() { FTree.SetObserver(nullptr); }

TProjectNode* TProjectTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TProjectNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TProjectTreeModel::IndexOf(const TProjectNode* node, int column) const {
    if (!node) return {};
    int row = -1;
    if (!node->Parent) {
        for (int i = 0; i < FTree.TopCount(); ++i)
            if (FTree.Top(i) == node) row = i;
    } else {
        row = node->Row();
    }
    return row < 0 ? QModelIndex() : createIndex(row, column, const_cast<TProjectNode*>(node));
}

QModelIndex TProjectTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= 2) return {};
    TProjectNode* node = NodeOf(parent);
    if (!node) return row < FTree.TopCount() ? createIndex(row, column, FTree.Top(row)) : QModelIndex();
    if (row >= static_cast<int>(node->Children.size())) return {};
    return createIndex(row, column, node->Children[static_cast<size_t>(row)].get());
}

QModelIndex TProjectTreeModel::parent(const QModelIndex& child) const {
    TProjectNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int TProjectTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    TProjectNode* node = NodeOf(parent);
    return node ? static_cast<int>(node->Children.size()) : FTree.TopCount();
}

int TProjectTreeModel::columnCount(const QModelIndex&) const { return 2; }

QVariant TProjectTreeModel::data(const QModelIndex& index, int role) const {
    TProjectNode* node = NodeOf(index);
    if (!node) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (index.column() == 0) return Q(node->Caption);
        if (node->Project && node->Project->LastDownloadDate != 0)
            return Q(DateText(node->Project->LastDownloadDate));
        return {};
    }
    if (role == Qt::DecorationRole && index.column() == 0) {
        QStyle* style = QApplication::style();
        switch (FTree.KindOf(node)) {
        case TNodeKind::nkTopFolder:
        case TNodeKind::nkFolder: return style->standardIcon(QStyle::SP_DirIcon);
        case TNodeKind::nkTemplate: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case TNodeKind::nkProject:
            return style->standardIcon(node->Project ? QStyle::SP_FileIcon : QStyle::SP_MessageBoxWarning);
        }
    }
    if (role == Qt::ToolTipRole && !node->IsFolder && node->Parent && node->Project)
        return Q(node->Project->URL);
    return {};
}

QVariant TProjectTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return Q(Text(section == 0 ? mtColProjects : mtColUpdated));
}

Qt::ItemFlags TProjectTreeModel::flags(const QModelIndex& index) const {
    TProjectNode* node = NodeOf(index);
    if (!node) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    const bool locked = IsLocked && IsLocked(node);
    if (!FTree.IsTopFolder(node) && !locked) {
        flags |= Qt::ItemIsDragEnabled;
        if (index.column() == 0) flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool TProjectTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TProjectNode* node = NodeOf(index);
    if (!node || role != Qt::EditRole || index.column() != 0) return false;
    if (OnRename) OnRename(node, value.toString().toStdString());
    return true;
}

void TProjectTreeModel::BeginInsert(TProjectNode* parent, int row) { beginInsertRows(IndexOf(parent), row, row); }

void TProjectTreeModel::BeginRemove(TProjectNode* parent, int row) { beginRemoveRows(IndexOf(parent), row, row); }

void TProjectTreeModel::NodeChanged(TProjectNode* node) {
    emit dataChanged(IndexOf(node, 0), IndexOf(node, 1));
}

QStringList TProjectTreeModel::mimeTypes() const { return {kNodeMimeType}; }

QMimeData* TProjectTreeModel::mimeData(const QModelIndexList& indexes) const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (const QModelIndex& index : indexes)
        if (TProjectNode* node = NodeOf(index); node && index.column() == 0) out << quint32(node->Id);
    auto* data = new QMimeData;
    data->setData(kNodeMimeType, bytes);
    return data;
}

std::vector<TProjectNode*> TProjectTreeModel::NodesOf(const QMimeData* data) const {
    std::vector<TProjectNode*> nodes;
    if (!data || !data->hasFormat(kNodeMimeType)) return nodes;
    QByteArray bytes = data->data(kNodeMimeType);
    QDataStream in(&bytes, QIODevice::ReadOnly);
    while (!in.atEnd()) {
        quint32 id = 0;
        in >> id;
        if (in.status() != QDataStream::Ok) break;
        if (TProjectNode* node = FTree.FindById(id)) nodes.push_back(node);
    }
    return nodes;
}

bool TProjectTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                        const QModelIndex& parent) const {
    if (action != Qt::MoveAction) return false;
    TProjectNode* target = NodeOf(parent);
    std::vector<TProjectNode*> nodes = NodesOf(data);
    if (!target || nodes.empty()) return false;
    for (TProjectNode* node : nodes)
        if ((IsLocked && IsLocked(node)) || !FTree.CanMove(node, target)) return false;
    return true;
}

bool TProjectTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                     const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) return false;
    TProjectNode* target = NodeOf(parent);
    for (TProjectNode* node : NodesOf(data))
        if (OnMove) OnMove(node, target);
    // The move is done here; the view must not remove the dragged rows itself.
    return false;
}

} // namespace vorlin::app
