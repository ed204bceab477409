#include "app/dialogs/rules/ConditionForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"
#include "rules/HTTPVorlinCondition.h"
#include "rules/Mask.h"
#include "rules/RuleTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorlin::app {

TConditionForm::TConditionForm(THTTPVorlinMaskCondition& condition, QWidget* parent)
    : QDialog(parent), FCondition(condition), FMasks(condition.Masks) {
    AddOptionsTexts();
    setObjectName("TConditionForm");
    SetTag(this, tgConditionForm);

    FList = Named<QListWidget>("lbMasks", this);
    FEdit = Named<QLineEdit>("edMask", this);
    auto* add = Tagged<QPushButton>(tgMaskAdd, "btAddMask", this);
    auto* remove = Tagged<QPushButton>(tgMaskRemove, "btRemoveMask", this);
    auto* edit = Tagged<QPushButton>(tgMaskEdit, "btEditMask", this);
    FError = Named<QLabel>("lbMaskError", this);
    FError->setStyleSheet(QStringLiteral("color: #b00000"));
    FError->setWordWrap(true);
    FError->hide();
    FAll = Tagged<QRadioButton>(tgConditionAll, "rbConditionAll", this);
    FAny = Tagged<QRadioButton>(tgConditionAny, "rbConditionAny", this);
    FNegate = Tagged<QCheckBox>(tgConditionNegate, "cbNegate", this);
    (condition.Mode == THTTPVorlinCondition::cmAny ? FAny : FAll)->setChecked(true);
    FNegate->setChecked(condition.Negate);

    auto* entry = new QHBoxLayout;
    entry->addWidget(FEdit, 1);
    entry->addWidget(add);
    entry->addWidget(remove);
    entry->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FList, 1);
    layout->addLayout(entry);
    layout->addWidget(FError);
    layout->addWidget(FAll);
    layout->addWidget(FAny);
    layout->addWidget(FNegate);
    layout->addWidget(OkCancelButtons(this, tgConditionOk, tgConditionCancel));

    connect(add, &QPushButton::clicked, this, [this] { AddMask(); });
    connect(FEdit, &QLineEdit::returnPressed, this, [this] { AddMask(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveMask(); });
    connect(edit, &QPushButton::clicked, this, [this] { EditMask(); });
    connect(FAny, &QRadioButton::toggled, this, [this] { Fill(); });
    connect(FNegate, &QCheckBox::toggled, this, [this] { Fill(); });
    // Enter in the edit adds the mask instead of closing the dialog.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    Fill();
    resize(520, 380);
}

void TConditionForm::Fill() {
    FList->clear();
    const bool negate = FNegate->isChecked();
    auto* heading = new QListWidgetItem(
        QString::fromStdString(negate ? FCondition.GetNegatedListHeading() : FCondition.GetListHeading()), FList);
    // The heading is no mask: it can't be selected for "R&emove" or "&Edit".
    heading->setFlags(Qt::ItemIsEnabled);
    const std::string connector = RuleText(FAny->isChecked() ? rtOr : rtAnd);
    for (size_t i = 0; i < FMasks.size(); ++i)
        FList->addItem(QString::fromStdString(i == 0 ? "   " + FMasks[i] : "   " + connector + " " + FMasks[i]));
}

int TConditionForm::SelectedMask() const {
    const int row = FList->currentRow();
    QListWidgetItem* item = FList->currentItem();
    if (row < 1 || !item || !item->isSelected()) return -1;
    return row - 1;
}

bool TConditionForm::AddMask() {
    const std::string mask = FEdit->text().toStdString();
    if (mask.empty()) return true;
    try {
        TMask compiled(mask);
    } catch (const std::exception& e) {
        // Kept out of the rule: it would fail for every link of the download.
        FError->setText(QString::fromStdString(e.what()));
        FError->show();
        return false;
    }
    FError->hide();
    FMasks.push_back(mask);
    FEdit->clear();
    FEdit->setFocus();
    Fill();
    return true;
}

void TConditionForm::RemoveMask() {
    const int index = SelectedMask();
    if (index < 0) return;
    FMasks.erase(FMasks.begin() + index);
    Fill();
}

void TConditionForm::EditMask() {
    const int index = SelectedMask();
    if (index < 0) return;
    FEdit->setText(QString::fromStdString(FMasks[static_cast<size_t>(index)]));
    FMasks.erase(FMasks.begin() + index);
    Fill();
    FEdit->setFocus();
}

void TConditionForm::accept() {
    if (!AddMask()) return;
    FCondition.Masks = FMasks;
    FCondition.Negate = FNegate->isChecked();
    FCondition.Mode = FAny->isChecked() ? THTTPVorlinCondition::cmAny : THTTPVorlinCondition::cmAll;
    QDialog::accept();
}

} // namespace vorlin::app
