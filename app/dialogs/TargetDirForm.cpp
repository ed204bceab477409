#include "app/dialogs/TargetDirForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/TemplateTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlin::app {

TTargetDirForm::TTargetDirForm(const QString& directory, bool useStandardDir, QWidget* parent) : QDialog(parent) {
    AddDialogTexts();  // the "..." button's folder dialog takes its caption from there
    AddTemplateDialogTexts();
    setObjectName("TTargetDirForm");
    SetTag(this, tgTargetDirForm);

    auto* label = Tagged<QLabel>(tgTargetDirLabel, "lbTargetDir", this);
    FEdit = Named<QLineEdit>("edTargetDir", this);
    FEdit->setText(directory);
    FEdit->setMinimumWidth(360);
    label->setBuddy(FEdit);
    QPushButton* browse = BrowseButton(tgTargetDirBrowse, "btBrowse", FEdit, TBrowseFor::bfDirectory, this);
    FUseStandardDir = Tagged<QCheckBox>(tgUseStandardDir, "cbUseStandardDir", this);
    FUseStandardDir->setChecked(useStandardDir);

    QDialogButtonBox* buttons = OkCancelButtons(this, tgTargetDirOk, tgTargetDirCancel);
    FOk = buttons->findChild<QPushButton*>("btOK");
    auto enable = [this] { FOk->setEnabled(!FEdit->text().trimmed().isEmpty()); };
    connect(FEdit, &QLineEdit::textChanged, this, enable);
    enable();

    auto* row = new QHBoxLayout;
    row->addWidget(FEdit, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(FUseStandardDir);
    layout->addStretch(1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

QString TTargetDirForm::Directory() const {
    QString text = FEdit->text().trimmed();
    if (text.startsWith("~/")) text = QDir::homePath() + text.mid(1);
    return QDir::cleanPath(QDir(text).absolutePath());
}

bool TTargetDirForm::UseStandardDir() const { return FUseStandardDir->isChecked(); }

} // namespace vorlin::app
