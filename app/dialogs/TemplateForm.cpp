#include "app/dialogs/TemplateForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/TemplateTexts.h"
#include "app/texts/Texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlin::app {

TTemplateForm::TTemplateForm(const std::vector<std::string>& templates, int row, QWidget* parent) : QDialog(parent) {
    AddTemplateDialogTexts();
    setObjectName("TTemplateForm");
    SetTag(this, tgTemplateForm);

    auto* label = Tagged<QLabel>(tgTemplateListLabel, "lbTemplates", this);
    FList = Named<QListWidget>("lbTemplateList", this);
    for (const std::string& caption : templates) FList->addItem(QString::fromStdString(caption));
    if (row >= 0 && row < FList->count()) FList->setCurrentRow(row);
    label->setBuddy(FList);
    // A double click chooses, as OK does.
    connect(FList, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    QDialogButtonBox* buttons = OkCancelButtons(this, tgTemplateOk, tgTemplateCancel);
    FNew = Tagged<QPushButton>(tgTemplateNew, "btNew", this);
    FNew->setAutoDefault(false);
    connect(FNew, &QPushButton::clicked, this, [this] {
        FNewPressed = true;
        done(QDialog::Rejected);
    });

    ShowMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(FList, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(FNew);
    buttonRow->addStretch(1);
    buttonRow->addWidget(buttons);
    layout->addLayout(buttonRow);
    resize(380, 320);
}

int TTemplateForm::SelectedRow() const {
    const QList<QListWidgetItem*> selected = FList->selectedItems();
    return selected.isEmpty() ? -1 : FList->row(selected.front());
}

void TTemplateForm::accept() {
    if (SelectedRow() < 0) {
        ShowMessage(QString::fromStdString(Text(txSelectTemplateFirst)));
        return;
    }
    QDialog::accept();
}

TTemplateChoice TTemplateForm::Choose(int& row) {
    FNewPressed = false;
    const int result = exec();
    if (FNewPressed) return TTemplateChoice::tcNew;
    if (result != QDialog::Accepted) return TTemplateChoice::tcCancel;
    row = SelectedRow();
    return TTemplateChoice::tcChosen;
}

} // namespace vorlin::app
