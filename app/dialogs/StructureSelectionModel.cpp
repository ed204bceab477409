#include "app/dialogs/StructureSelectionModel.h"

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/LinkChoiceModel.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "rules/Match.h"

#include <QHash>

#include <algorithm>

namespace vorlin::app {

struct TStructureSelectionModel::TNode {
    QString Caption;
    TNode* Parent = nullptr;
    int Row = 0;
    std::vector<std::unique_ptr<TNode>> Children;
    // Nearly every node has one link or none: the rare others wait in More.
    TDownloadLink* Link = nullptr;
    std::vector<TDownloadLink*> More;
    bool Checked = false;  // the node's own tick; counts only where it has links
    int Total = 0;         // nodes with links in the subtree, itself included
    int CheckedCount = 0;  // of those, ticked

    bool HasLinks() const { return Link != nullptr; }
    void AddLink(TDownloadLink* link) { (Link ? More.push_back(link) : void(Link = link)); }
    std::vector<TDownloadLink*> Links() const {
        std::vector<TDownloadLink*> all;
        if (Link) all.push_back(Link);
        all.insert(all.end(), More.begin(), More.end());
        return all;
    }
    Qt::CheckState State() const {
        if (Children.empty()) return Checked ? Qt::Checked : Qt::Unchecked;
        if (CheckedCount == 0) return Qt::Unchecked;
        return CheckedCount == Total ? Qt::Checked : Qt::PartiallyChecked;
    }
};

namespace {

using TNode = TStructureSelectionModel::TNode;

bool CaptionLess(const std::unique_ptr<TNode>& a, const std::unique_ptr<TNode>& b) {
    const int folded = QString::compare(a->Caption, b->Caption, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a->Caption < b->Caption;
}

// The nodes made so far by parent and caption: one table for the whole
// tree while it is built, rather than one per node.
using TChildTable = QHash<std::pair<const TNode*, QString>, TNode*>;

TNode* ChildNamed(TChildTable& table, TNode* parent, const QString& caption) {
    TNode*& child = table[{parent, caption}];
    if (!child) {
        parent->Children.push_back(std::make_unique<TNode>());
        child = parent->Children.back().get();
        child->Caption = caption;
        child->Parent = parent;
    }
    return child;
}

// Sorts the children, numbers the rows, counts the ticks; depth-first
// without recursion, since a hostile site can nest paths very deep.
void Finish(TNode* root, int& nodeCount) {
    std::vector<std::pair<TNode*, bool>> stack{{root, false}};
    while (!stack.empty()) {
        auto [node, childrenDone] = stack.back();
        stack.pop_back();
        if (!childrenDone) {
            node->Children.shrink_to_fit();
            std::sort(node->Children.begin(), node->Children.end(), CaptionLess);
            for (size_t i = 0; i < node->Children.size(); ++i) node->Children[i]->Row = static_cast<int>(i);
            stack.push_back({node, true});
            for (auto& child : node->Children) stack.push_back({child.get(), false});
            continue;
        }
        ++nodeCount;
        node->Total = node->HasLinks() ? 1 : 0;
        node->CheckedCount = node->HasLinks() && node->Checked ? 1 : 0;
        for (auto& child : node->Children) {
            node->Total += child->Total;
            node->CheckedCount += child->CheckedCount;
        }
    }
}

// Visits the node and everything below it.
template <typename TVisit> void ForSubtree(TNode* top, TVisit&& visit) {
    std::vector<TNode*> stack{top};
    while (!stack.empty()) {
        TNode* node = stack.back();
        stack.pop_back();
        visit(node);
        for (auto& child : node->Children) stack.push_back(child.get());
    }
}

} // namespace

QStringList StructureCaptions(const std::string& server, const std::string& path) {
    QStringList captions;
    std::string host = server;
    const size_t scheme = host.find("://");
    if (scheme != std::string::npos) host.erase(0, scheme + 3);
    while (!host.empty() && host.back() == '/') host.pop_back();
    captions << ReadableURL(host);

    const size_t question = path.find('?');
    const std::string directories = path.substr(0, question);
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= directories.size()) {
        size_t slash = directories.find('/', start);
        if (slash == std::string::npos) slash = directories.size();
        if (slash > start) segments.push_back(directories.substr(start, slash - start));
        start = slash + 1;
    }
    if (question != std::string::npos) {
        // "dir/?q" asks the directory itself with a query: its own node.
        const std::string query = path.substr(question);
        if (segments.empty() || (!directories.empty() && directories.back() == '/'))
            segments.push_back(query);
        else
            segments.back() += query;
    }
    // Each segment is decoded on its own, so an encoded "/" makes no level.
    for (const std::string& segment : segments) captions << ReadableURL(segment);
    return captions;
}

TStructureSelectionModel::TStructureSelectionModel(const std::vector<TStructureEntry>& entries,
                                                   const TProgress& progress, QObject* parent)
    : QAbstractItemModel(parent), FRoot(std::make_unique<TNode>()) {
    AddDialogTexts();
    Build(entries, progress);
}

TStructureSelectionModel::TStructureSelectionModel(TDownloadProject& project, const TProgress& progress,
                                                   QObject* parent)
    : TStructureSelectionModel(CollectStructure(project), progress, parent) {}

TStructureSelectionModel::~TStructureSelectionModel() {
    // Deep trees are taken down from the bottom so no destructor recurses far.
    std::vector<std::unique_ptr<TNode>> pending;
    for (auto& child : FRoot->Children) pending.push_back(std::move(child));
    while (!pending.empty()) {
        std::unique_ptr<TNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->Children) pending.push_back(std::move(child));
    }
}

std::vector<TStructureEntry> CollectStructure(TDownloadProject& project) {
    std::vector<TStructureEntry> entries;
    if (!project.Links) return entries;
    entries.reserve(static_cast<size_t>(project.Links->Count()));
    for (TDownloadLink* link : *project.Links) {
        TLinkLock lock(*link);
        if (link->Kind != lkHttp && link->Kind != lkRelative) continue;
        entries.push_back({link, link->Server(), link->Path, link->IsForced()});
    }
    return entries;
}

void TStructureSelectionModel::Build(const std::vector<TStructureEntry>& entries, const TProgress& progress) {
    const int total = static_cast<int>(entries.size());
    int done = 0;
    TChildTable table;
    table.reserve(total + total / 4);
    for (const TStructureEntry& entry : entries) {
        if (progress && ++done % 1024 == 0) progress(done, total);
        TNode* node = FRoot.get();
        for (const QString& caption : StructureCaptions(entry.Server, entry.Path)) node = ChildNamed(table, node, caption);
        node->AddLink(entry.Link);
        node->Checked = node->Checked || entry.Forced;
    }
    Finish(FRoot.get(), FNodeCount);
    --FNodeCount;  // the invisible root
    if (progress) progress(total, total);
}

TNode* TStructureSelectionModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : FRoot.get();
}

QModelIndex TStructureSelectionModel::IndexOf(const TNode* node) const {
    if (!node || node == FRoot.get()) return QModelIndex();
    return createIndex(node->Row, 0, const_cast<TNode*>(node));
}

void TStructureSelectionModel::SetChecked(const QModelIndex& index, bool checked) {
    TNode* top = NodeOf(index);
    ForSubtree(top, [checked](TNode* node) { node->Checked = checked; });
    Recount(top);
}

int TStructureSelectionModel::CheckMatching(const std::string& mask, bool caseSensitive) {
    TMatch match;
    match.CaseSensitive = caseSensitive;
    match.Pattern = mask;
    std::vector<TNode*> matched;
    ForSubtree(FRoot.get(), [&](TNode* node) {
        if (node == FRoot.get()) return;
        match.Source = node->Caption.toStdString();
        if (match.IsMatch()) matched.push_back(node);
    });
    for (TNode* top : matched) ForSubtree(top, [](TNode* node) { node->Checked = true; });
    if (!matched.empty()) Recount(FRoot.get());
    return static_cast<int>(matched.size());
}

void TStructureSelectionModel::CheckAll() { SetChecked(QModelIndex(), true); }

void TStructureSelectionModel::Recount(TNode* top) {
    // Counts bottom-up below the node, then the changes on its way up.
    std::vector<TNode*> order;
    ForSubtree(top, [&](TNode* node) { order.push_back(node); });
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        TNode* node = *it;
        node->CheckedCount = node->HasLinks() && node->Checked ? 1 : 0;
        for (auto& child : node->Children) node->CheckedCount += child->CheckedCount;
    }
    for (TNode* node = top->Parent; node; node = node->Parent) {
        node->CheckedCount = node->HasLinks() && node->Checked ? 1 : 0;
        for (auto& child : node->Children) node->CheckedCount += child->CheckedCount;
        if (node != FRoot.get()) emit dataChanged(IndexOf(node), IndexOf(node), {Qt::CheckStateRole});
    }
    if (top != FRoot.get()) emit dataChanged(IndexOf(top), IndexOf(top), {Qt::CheckStateRole});
    AnnounceSubtree(top);
}

void TStructureSelectionModel::AnnounceSubtree(const TNode* top) {
    ForSubtree(const_cast<TNode*>(top), [this](TNode* node) {
        if (node->Children.empty()) return;
        const QModelIndex parent = IndexOf(node);
        emit dataChanged(index(0, 0, parent), index(static_cast<int>(node->Children.size()) - 1, 0, parent),
                         {Qt::CheckStateRole});
    });
}

void TStructureSelectionModel::WriteBack() const {
    ForSubtree(FRoot.get(), [](TNode* node) {
        for (TDownloadLink* link : node->Links()) {
            TLinkLock lock(*link);
            link->Forced = node->Checked;
        }
    });
}

std::vector<TDownloadLink*> TStructureSelectionModel::LinksAt(const QModelIndex& index) const {
    return index.isValid() ? NodeOf(index)->Links() : std::vector<TDownloadLink*>();
}

QModelIndex TStructureSelectionModel::Find(const QStringList& captions) const {
    const TNode* node = FRoot.get();
    for (const QString& caption : captions) {
        auto it = std::find_if(node->Children.begin(), node->Children.end(),
                               [&](const std::unique_ptr<TNode>& child) { return child->Caption == caption; });
        if (it == node->Children.end()) return QModelIndex();
        node = it->get();
    }
    return IndexOf(node);
}

QModelIndex TStructureSelectionModel::index(int row, int column, const QModelIndex& parent) const {
    const TNode* node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->Children.size())) return QModelIndex();
    return createIndex(row, 0, node->Children[static_cast<size_t>(row)].get());
}

QModelIndex TStructureSelectionModel::parent(const QModelIndex& child) const {
    return child.isValid() ? IndexOf(NodeOf(child)->Parent) : QModelIndex();
}

int TStructureSelectionModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return static_cast<int>(NodeOf(parent)->Children.size());
}

int TStructureSelectionModel::columnCount(const QModelIndex&) const { return 1; }

bool TStructureSelectionModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TStructureSelectionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const TNode* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole: return node->Caption;
    case Qt::CheckStateRole: return node->State();
    case Qt::ToolTipRole: {
        if (!node->HasLinks()) return QVariant();
        TLinkLock lock(*node->Link);
        return ReadableURL(node->Link->FullURL());
    }
    default: return QVariant();
    }
}

bool TStructureSelectionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole) return false;
    SetChecked(index, static_cast<Qt::CheckState>(value.toInt()) != Qt::Unchecked);
    return true;
}

Qt::ItemFlags TStructureSelectionModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    if (NodeOf(index)->Children.empty()) f |= Qt::ItemNeverHasChildren;
    return f;
}

QVariant TStructureSelectionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    return DialogText(tgColumnStructure);
}

} // namespace vorlin::app
