#include "app/dialogs/DialogControls.h"

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/OptionsTexts.h"
#include "platform/DebugLog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

namespace vorlin::app {

QDialogButtonBox* OkCancelButtons(QDialog* dialog, int okTag, int cancelTag) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = Tagged<QPushButton>(okTag, "btOK", buttons);
    QPushButton* cancel = Tagged<QPushButton>(cancelTag, "btCancel", buttons);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void Guarded(const char* context, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        DebugLogReport(context, e.what());
    } catch (...) {
        DebugLogReport(context, "unknown exception");
    }
}

QLabel* BuddyLabel(int tag, const char* name, QWidget* control, QWidget* parent) {
    auto* label = Tagged<QLabel>(tag, name, parent);
    label->setBuddy(control);
    return label;
}

QPushButton* BrowseButton(int tag, const char* name, QLineEdit* edit, TBrowseFor what, QWidget* parent) {
    auto* button = Tagged<QPushButton>(tag, name, parent);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    QObject::connect(button, &QPushButton::clicked, parent, [edit, what, parent] {
        QString chosen;
        switch (what) {
        case TBrowseFor::bfDirectory:
            chosen = QFileDialog::getExistingDirectory(parent, DialogText(smChooseDirectory), edit->text());
            break;
        case TBrowseFor::bfBookmarkFile:
        case TBrowseFor::bfProgram:
            chosen = QFileDialog::getOpenFileName(parent, DialogText(smChooseFile), edit->text(),
                                                  DialogText(what == TBrowseFor::bfBookmarkFile ? smBookmarkFiles
                                                                                                : smPrograms));
            break;
        case TBrowseFor::bfCookiesFile:
            chosen = QFileDialog::getOpenFileName(parent, DialogText(smChooseFile), edit->text(),
                                                  DialogText(tgCookiesFiles));
            break;
        case TBrowseFor::bfCookiesSaveFile:
            chosen = QFileDialog::getSaveFileName(parent, DialogText(smChooseFile), edit->text(),
                                                  DialogText(tgCookiesFiles));
            break;
        }
        if (!chosen.isEmpty()) edit->setText(chosen);
    });
    return button;
}

} // namespace vorlin::app
