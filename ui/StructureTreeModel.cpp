#include "ui/StructureTreeModel.h"

#include <QApplication>
#include <QStyle>

namespace vorlin::ui {

struct TStructureNode {
    std::string Caption;
    TStructureNode* Parent = nullptr;
    int Row = 0;              // place among the parent's shown children
    void* Link = nullptr;
    int64_t OwnSize = 0;
    int64_t Total = 0;        // own size plus every descendant's
    int State = -1;           // -1: a segment without a link of its own
    bool Shown = false;
    std::vector<std::unique_ptr<TStructureNode>> Children;  // shown
    std::vector<std::unique_ptr<TStructureNode>> Staged;    // waiting for the batch end
    std::unordered_map<std::string, TStructureNode*> ByCaption;
};

TStructureTreeModel::TStructureTreeModel(QObject* parent)
    : QAbstractItemModel(parent), FRoot(std::make_unique<TStructureNode>()) {
    FRoot->Shown = true;
}

TStructureTreeModel::~TStructureTreeModel() = default;

void TStructureTreeModel::SetCaptions(const QStringList& columns, const QStringList& stateNames) {
    FColumns = columns;
    FStateNames = stateNames;
    emit headerDataChanged(Qt::Horizontal, 0, 2);
}

void TStructureTreeModel::BeginBatch() { ++FBatchDepth; }

void TStructureTreeModel::EndBatch() {
    if (FBatchDepth > 0 && --FBatchDepth == 0) Flush();
}

TStructureNode* TStructureTreeModel::Child(TStructureNode* parent, const std::string& caption) {
    auto it = parent->ByCaption.find(caption);
    if (it != parent->ByCaption.end()) return it->second;
    auto node = std::make_unique<TStructureNode>();
    node->Caption = caption;
    TStructureNode* raw = node.get();
    Stage(parent, std::move(node));
    return raw;
}

void TStructureTreeModel::Stage(TStructureNode* parent, std::unique_ptr<TStructureNode> node) {
    node->Parent = parent;
    parent->ByCaption[node->Caption] = node.get();
    if (parent->Staged.empty()) FStagedParents.push_back(parent);
    parent->Staged.push_back(std::move(node));
    ++FNodeCount;
}

void TStructureTreeModel::AddToTotals(TStructureNode* node, int64_t difference) {
    if (difference == 0) return;
    for (; node && node != FRoot.get(); node = node->Parent) {
        node->Total += difference;
        if (node->Shown) FDirty.insert(node);
    }
}

TStructureNode* TStructureTreeModel::Add(const std::vector<std::string>& segments, void* link, int64_t size,
                                         int state) {
    if (segments.empty()) return nullptr;
    BeginBatch();
    TStructureNode* node = FRoot.get();
    for (const std::string& segment : segments) node = Child(node, segment);
    node->Link = link;
    node->State = state;
    if (node->Shown) FDirty.insert(node);
    AddToTotals(node, size - node->OwnSize);
    node->OwnSize = size;
    EndBatch();
    return node;
}

void TStructureTreeModel::Update(TStructureNode* node, int64_t size, int state) {
    if (!node) return;
    BeginBatch();
    node->State = state;
    if (node->Shown) FDirty.insert(node);
    AddToTotals(node, size - node->OwnSize);
    node->OwnSize = size;
    EndBatch();
}

void TStructureTreeModel::Flush() {
    // Parents in staging order: a parent staged in this batch was itself
    // shown by an earlier entry of the list, so each insertion is valid.
    std::vector<TStructureNode*> parents;
    parents.swap(FStagedParents);
    for (TStructureNode* parent : parents) {
        if (parent->Staged.empty()) continue;
        const int first = static_cast<int>(parent->Children.size());
        const int last = first + static_cast<int>(parent->Staged.size()) - 1;
        beginInsertRows(IndexOf(parent), first, last);
        int row = first;
        for (auto& node : parent->Staged) {
            node->Row = row++;
            node->Shown = true;
            parent->Children.push_back(std::move(node));
        }
        parent->Staged.clear();
        endInsertRows();
    }
    std::unordered_set<TStructureNode*> dirty;
    dirty.swap(FDirty);
    for (TStructureNode* node : dirty) {
        QModelIndex first = createIndex(node->Row, 1, node);
        emit dataChanged(first, createIndex(node->Row, 2, node));
    }
}

void TStructureTreeModel::Clear(const std::function<void(void* link)>& visit) {
    if (visit) {
        std::function<void(TStructureNode*)> walk = [&](TStructureNode* node) {
            if (node->Link) visit(node->Link);
            for (auto& child : node->Children) walk(child.get());
            for (auto& child : node->Staged) walk(child.get());
        };
        walk(FRoot.get());
    }
    beginResetModel();
    FRoot = std::make_unique<TStructureNode>();
    FRoot->Shown = true;
    FStagedParents.clear();
    FDirty.clear();
    FNodeCount = 0;
    endResetModel();
}

void TStructureTreeModel::ForgetLinks() {
    std::function<void(TStructureNode*)> walk = [&](TStructureNode* node) {
        node->Link = nullptr;
        for (auto& child : node->Children) walk(child.get());
        for (auto& child : node->Staged) walk(child.get());
    };
    walk(FRoot.get());
}

void* TStructureTreeModel::LinkOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TStructureNode*>(index.internalPointer())->Link : nullptr;
}

std::string TStructureTreeModel::PathOf(const QModelIndex& index) const {
    std::string path;
    if (!index.isValid()) return path;
    for (auto* node = static_cast<TStructureNode*>(index.internalPointer()); node && node != FRoot.get();
         node = node->Parent)
        path.insert(0, "/" + node->Caption);
    return path;
}

int64_t TStructureTreeModel::TotalOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TStructureNode*>(index.internalPointer())->Total : 0;
}

QModelIndex TStructureTreeModel::IndexOf(const TStructureNode* node) const {
    if (!node || node == FRoot.get() || !node->Shown) return {};
    return createIndex(node->Row, 0, const_cast<TStructureNode*>(node));
}

QModelIndex TStructureTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column > 2) return {};
    TStructureNode* node = parent.isValid() ? static_cast<TStructureNode*>(parent.internalPointer()) : FRoot.get();
    if (row >= static_cast<int>(node->Children.size())) return {};
    return createIndex(row, column, node->Children[static_cast<size_t>(row)].get());
}

QModelIndex TStructureTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    auto* node = static_cast<TStructureNode*>(child.internalPointer());
    return IndexOf(node->Parent);
}

int TStructureTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    TStructureNode* node = parent.isValid() ? static_cast<TStructureNode*>(parent.internalPointer()) : FRoot.get();
    return static_cast<int>(node->Children.size());
}

int TStructureTreeModel::columnCount(const QModelIndex&) const { return 3; }

QVariant TStructureTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    auto* node = static_cast<TStructureNode*>(index.internalPointer());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return QString::fromStdString(node->Caption);
        case 1: return QString::number(static_cast<double>(node->Total) / 1024.0, 'f', 2) + " KB";
        case 2:
            return node->State >= 0 && node->State < FStateNames.size() ? FStateNames[node->State] : QString();
        }
    }
    if (role == Qt::UserRole && index.column() == 1) return static_cast<qlonglong>(node->Total);
    if (role == Qt::TextAlignmentRole && index.column() == 1) return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && index.column() == 0)
        return QApplication::style()->standardIcon(node->Children.empty() ? QStyle::SP_FileIcon : QStyle::SP_DirIcon);
    return {};
}

QVariant TStructureTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section < FColumns.size() ? FColumns[section] : QVariant();
}

} // namespace vorlin::ui
