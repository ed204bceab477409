#include "app/dialogs/rules/RuleForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/rules/RuleDescriptionView.h"
#include "rules/HTTPVorlinRules.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace vorlin::app {

TRuleForm::TRuleForm(THTTPVorlinRule& rule, QWidget* parent) : QDialog(parent), FRule(rule) {
    AddOptionsTexts();
    setObjectName("TRuleForm");
    SetTag(this, tgRuleForm);
    setWindowTitle(windowTitle() + QString::fromStdString(FRule.Name));

    FConditions = Named<QListWidget>("clbConditions", this);
    FActions = Named<QListWidget>("clbActions", this);
    FDescription = new TRuleDescriptionView(this);
    FDescription->setObjectName("reDescription");
    FDescription->OnClick = [this](int position) { DescriptionClick(position); };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel(tgRuleConditions, "lbConditions", FConditions, this));
    layout->addWidget(FConditions, 2);
    layout->addWidget(BuddyLabel(tgRuleActions, "lbActions", FActions, this));
    layout->addWidget(FActions, 2);
    layout->addWidget(FDescription, 3);
    layout->addWidget(OkCancelButtons(this, tgRuleOk, tgRuleCancel));

    connect(FConditions, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { ItemChanged(FConditions, item); });
    connect(FActions, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { ItemChanged(FActions, item); });
    Fill();
    resize(560, 520);
}

void TRuleForm::Fill() {
    FFilling = true;
    FConditions->clear();
    FActions->clear();
    auto add = [](QListWidget* list, const TFilterElement& element) {
        auto* item = new QListWidgetItem(QString::fromStdString(element.GetTemplateText()), list);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(element.Active ? Qt::Checked : Qt::Unchecked);
    };
    for (int i = 0; i < FRule.ConditionCount(); ++i) add(FConditions, FRule.Conditions(i));
    for (int i = 0; i < FRule.ActionCount(); ++i) add(FActions, FRule.Actions(i));
    FFilling = false;
    ShowDescription();
}

void TRuleForm::ShowDescription() { FDescription->Show(FRule.Description()); }

void TRuleForm::ItemChanged(QListWidget* list, QListWidgetItem* item) {
    if (FFilling) return;
    const int row = list->row(item);
    TFilterElement& element = list == FConditions ? static_cast<TFilterElement&>(FRule.Conditions(row))
                                                   : static_cast<TFilterElement&>(FRule.Actions(row));
    element.Active = item->checkState() == Qt::Checked;
    ShowDescription();
}

void TRuleForm::DescriptionClick(int position) {
    Guarded("Error in reDescriptionClick ()", [&] { FRule.DescriptionClick(position); });
    ShowDescription();
}

} // namespace vorlin::app
