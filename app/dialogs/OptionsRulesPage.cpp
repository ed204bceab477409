#include "app/dialogs/OptionsRulesPage.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/RuleTexts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>


namespace vorlin::app {

TAdvancedFiltersPage::TAdvancedFiltersPage(THTTPVorlinRules& rules, bool readOnly, QWidget* parent)
    : QWidget(parent), FRules(rules), FReadOnly(readOnly) {
    FList = Named<QTreeWidget>("lvRules", this);
    FList->setColumnCount(1);
    FList->setHeaderLabels({QString::fromStdString(RuleText(rtRuleNameCaption))});
    FList->setRootIsDecorated(false);
    // A double click opens the rule's editor; a click on the selected entry renames it.
    FList->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    FAdd = Tagged<QPushButton>(tgAddRule, "btAddRule", this);
    FDelete = Tagged<QPushButton>(tgDeleteRule, "btDeleteRule", this);
    FEdit = Tagged<QPushButton>(tgEditRule, "btEditRule", this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FAdd);
    buttons->addWidget(FDelete);
    buttons->addWidget(FEdit);
    buttons->addStretch(1);
    auto* page = new QVBoxLayout(this);
    if (FReadOnly) {
        auto* warning = Tagged<QLabel>(tgRulesUnreadable, "lbRulesUnreadable", this);
        warning->setWordWrap(true);
        page->addWidget(warning);
    }
    page->addWidget(FList, 1);
    page->addLayout(buttons);

    connect(FAdd, &QPushButton::clicked, this, [this] { Guarded("Error in AddRule ()", [this] { AddRule(); }); });
    connect(FDelete, &QPushButton::clicked, this, [this] { Guarded("Error in DeleteRule ()", [this] { DeleteRule(); }); });
    connect(FEdit, &QPushButton::clicked, this, [this] { Guarded("Error in EditRule ()", [this] { EditRule(); }); });
    connect(FList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Guarded("Error in RuleListDblClick ()", [this, item] {
            FList->setCurrentItem(item);
            EditRule();
        });
    });
    connect(FList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) { ItemChanged(item); });
    connect(FList, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    Fill();
}

void TAdvancedFiltersPage::Fill() {
    FFilling = true;
    FList->clear();
    for (int i = 0; i < FRules.Count(); ++i) ShowRule(new QTreeWidgetItem(FList), i);
    FFilling = false;
    UpdateButtons();
}

void TAdvancedFiltersPage::Clear() {
    FFilling = true;
    FList->clear();
    FFilling = false;
}

void TAdvancedFiltersPage::ShowRule(QTreeWidgetItem* item, int index) {
    const bool filling = FFilling;
    FFilling = true;
    THTTPVorlinRule& rule = FRules.Rules(index);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!FReadOnly) flags |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    item->setFlags(flags);
    item->setText(0, QString::fromStdString(rule.Name));
    item->setCheckState(0, rule.Enabled ? Qt::Checked : Qt::Unchecked);
    FFilling = filling;
}

void TAdvancedFiltersPage::AddRule() {
    if (FReadOnly) return;
    THTTPVorlinRule& rule = FRules.Add();
    rule.Name = RuleText(rtNewRule);
    rule.Enabled = true;
    const int index = FRules.Count() - 1;
    auto* item = new QTreeWidgetItem(FList);
    ShowRule(item, index);
    FList->setCurrentItem(item);
    bool confirmed = false;
    try {
        confirmed = rule.Edit();
    } catch (...) {
        confirmed = false;
        delete item;
        FRules.Delete(index);
        UpdateButtons();
        throw;
    }
    if (!confirmed) {
        // A cancelled editor leaves the list as it was.
        delete item;
        FRules.Delete(index);
    } else {
        ShowRule(item, index);
    }
    UpdateButtons();
}

void TAdvancedFiltersPage::DeleteRule() {
    if (FReadOnly) return;
    QTreeWidgetItem* item = FList->currentItem();
    if (!item) return;
    const int index = FList->indexOfTopLevelItem(item);
    delete item;
    FRules.Delete(index);
    UpdateButtons();
}

void TAdvancedFiltersPage::EditRule() {
    if (FReadOnly) return;
    QTreeWidgetItem* item = FList->currentItem();
    if (!item) return;
    const int index = FList->indexOfTopLevelItem(item);
    FRules.Rules(index).Edit();
    // The editor may have changed the rule or given back its old settings.
    ShowRule(item, index);
}

void TAdvancedFiltersPage::ItemChanged(QTreeWidgetItem* item) {
    if (FFilling || FReadOnly) return;
    const int index = FList->indexOfTopLevelItem(item);
    if (index < 0 || index >= FRules.Count()) return;
    THTTPVorlinRule& rule = FRules.Rules(index);
    rule.Name = item->text(0).toStdString();
    rule.Enabled = item->checkState(0) == Qt::Checked;
}

void TAdvancedFiltersPage::UpdateButtons() {
    const bool selected = FList->currentItem() != nullptr;
    FAdd->setEnabled(!FReadOnly);
    FDelete->setEnabled(selected && !FReadOnly);
    FEdit->setEnabled(selected && !FReadOnly);
}


} // namespace vorlin::app
