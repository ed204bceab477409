#include "ui/TreeConfig.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlin::ui {

namespace {
// Where a tree node keeps its page.
constexpr int kPageRole = Qt::UserRole + 1;
} // namespace

TTreeConfig::TTreeConfig(QWidget* parent)
    : QWidget(parent), FTree(new QTreeWidget(this)), FCaption(new QLabel(this)), FStack(new QStackedWidget(this)) {
    FTree->setObjectName("tvPages");
    FTree->setHeaderHidden(true);
    // Sections stay open, so they need no expand marks; the room goes to the captions.
    FTree->setRootIsDecorated(false);
    FTree->setItemsExpandable(false);
    FTree->setIndentation(FTree->fontMetrics().averageCharWidth() * 2);
    FTree->setFixedWidth(kTreeWidth);
    FTree->setSelectionMode(QAbstractItemView::SingleSelection);
    FTree->header()->setStretchLastSection(true);

    // The caption strip above the page, in the colours of a selected item.
    FCaption->setObjectName("lbPageCaption");
    QFont bold = FCaption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    FCaption->setFont(bold);
    FCaption->setAutoFillBackground(true);
    FCaption->setBackgroundRole(QPalette::Highlight);
    FCaption->setForegroundRole(QPalette::HighlightedText);
    FCaption->setContentsMargins(8, 4, 8, 4);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(FCaption);
    right->addWidget(FStack, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FTree);
    layout->addLayout(right, 1);

    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { ItemChosen(current); });
}

QTreeWidgetItem* TTreeConfig::AddSection(const QString& caption) {
    auto* item = new QTreeWidgetItem(FTree, QStringList(caption));
    QFont bold = FTree->font();
    bold.setBold(true);
    item->setFont(0, bold);
    item->setExpanded(true);
    return item;
}

QTreeWidgetItem* TTreeConfig::AddPage(QTreeWidgetItem* section, const QString& caption, QWidget* page) {
    auto* item = section ? new QTreeWidgetItem(section, QStringList(caption)) : new QTreeWidgetItem(FTree, QStringList(caption));
    FStack->addWidget(page);
    item->setData(0, kPageRole, QVariant::fromValue(static_cast<QObject*>(page)));
    if (section) section->setExpanded(true);
    if (!FTree->currentItem()) FTree->setCurrentItem(section ? section : item);
    FitTreeWidth();
    return item;
}

void TTreeConfig::SetCaption(QTreeWidgetItem* item, const QString& caption) {
    if (!item) return;
    item->setText(0, caption);
    if (item == FTree->currentItem()) FCaption->setText(caption);
    FitTreeWidth();
}

void TTreeConfig::FitTreeWidth() {
    // The design width, or more when a font or a language makes a caption
    // longer: a cut caption names no page.
    const int margin = 2 * (FTree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FTree) + 1);
    int widest = 0;
    for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
        const int depth = (*it)->parent() ? 1 : 0;
        const QFontMetrics itemMetrics((*it)->font(0));
        widest = std::max(widest, depth * FTree->indentation() + itemMetrics.horizontalAdvance((*it)->text(0)) + margin);
    }
    const int needed = widest + 2 * FTree->frameWidth() + 4;
    FTree->setFixedWidth(std::max(kTreeWidth, needed));
}

QWidget* TTreeConfig::PageOf(QTreeWidgetItem* item) const {
    // A section stands for its first page.
    while (item) {
        if (auto* page = qobject_cast<QWidget*>(item->data(0, kPageRole).value<QObject*>())) return page;
        item = item->childCount() > 0 ? item->child(0) : nullptr;
    }
    return nullptr;
}

void TTreeConfig::ItemChosen(QTreeWidgetItem* item) {
    QWidget* page = PageOf(item);
    FCaption->setText(item ? item->text(0) : QString());
    if (!page) return;
    FStack->setCurrentWidget(page);
    emit PageShown(page);
}

void TTreeConfig::ShowPage(QWidget* page) {
    if (QTreeWidgetItem* item = ItemOf(page)) FTree->setCurrentItem(item);
}

QWidget* TTreeConfig::CurrentPage() const { return FStack->currentWidget(); }

QTreeWidgetItem* TTreeConfig::ItemOf(QWidget* page) const {
    for (QTreeWidgetItemIterator it(FTree); *it; ++it)
        if ((*it)->data(0, kPageRole).value<QObject*>() == page) return *it;
    return nullptr;
}

} // namespace vorlin::ui
