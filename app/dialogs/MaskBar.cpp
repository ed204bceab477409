#include "app/dialogs/MaskBar.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vorlin::app {

TMaskBar::TMaskBar(QWidget* parent) : QWidget(parent) {
    auto* label = Tagged<QLabel>(tgSelectMask, "lbMask", this);
    FMask = Named<QLineEdit>("edMask", this);
    label->setBuddy(FMask);
    FCase = Tagged<QCheckBox>(tgSelectCaseSensitive, "cbCaseSensitive", this);
    FApply = Tagged<QPushButton>(tgSelectApplyMask, "btApplyMask", this);
    FSelectAll = Tagged<QPushButton>(tgSelectAll, "btSelectAll", this);
    // Neither button takes Enter from the dialog's OK.
    FApply->setAutoDefault(false);
    FSelectAll->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(FMask, 1, 0);
    grid->addWidget(FApply, 1, 1);
    grid->addWidget(FCase, 2, 0);
    grid->addWidget(FSelectAll, 2, 1);
    grid->setColumnStretch(0, 1);

    FMask->installEventFilter(this);
    connect(FApply, &QPushButton::clicked, this, &TMaskBar::Apply);
    connect(FSelectAll, &QPushButton::clicked, this, &TMaskBar::SelectAll);
}

void TMaskBar::Apply() { emit ApplyMask(FMask->text().toStdString(), FCase->isChecked()); }

bool TMaskBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FMask && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Apply();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vorlin::app
