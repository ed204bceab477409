#include "app/dialogs/DialogControls.h"

#include "app/dialogs/DialogTexts.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

namespace vorlin::app {

QPushButton* BrowseButton(int tag, const char* name, QLineEdit* edit, TBrowseFor what, QWidget* parent) {
    auto* button = Tagged<QPushButton>(tag, name, parent);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    QObject::connect(button, &QPushButton::clicked, parent, [edit, what, parent] {
        QString chosen;
        if (what == TBrowseFor::bfDirectory)
            chosen = QFileDialog::getExistingDirectory(parent, DialogText(smChooseDirectory), edit->text());
        else
            chosen = QFileDialog::getOpenFileName(parent, DialogText(smChooseFile), edit->text(),
                                                  DialogText(what == TBrowseFor::bfBookmarkFile ? smBookmarkFiles
                                                                                                : smPrograms));
        if (!chosen.isEmpty()) edit->setText(chosen);
    });
    return button;
}

} // namespace vorlin::app
