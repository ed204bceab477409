#include "app/dialogs/rules/QtRuleEditor.h"

#include "app/dialogs/OptionsTexts.h"
#include "app/dialogs/rules/ConditionForm.h"
#include "app/dialogs/rules/FileSizeConditionForm.h"
#include "app/dialogs/rules/RuleForm.h"
#include "app/texts/Texts.h"

#include <QApplication>
#include <QFileDialog>

namespace vorlin::app {

QWidget* TQtRuleEditor::Owner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

bool TQtRuleEditor::EditRule(THTTPVorlinRule& rule) {
    TRuleForm form(rule, Owner());
    return form.exec() == QDialog::Accepted;
}

bool TQtRuleEditor::EditMaskCondition(THTTPVorlinMaskCondition& condition) {
    TConditionForm form(condition, Owner());
    return form.exec() == QDialog::Accepted;
}

bool TQtRuleEditor::EditFileSizeCondition(TFileSizeCondition& condition) {
    TFileSizeConditionForm form(condition, Owner());
    return form.exec() == QDialog::Accepted;
}

bool TQtRuleEditor::ChooseDirectory(std::string& directory) {
    AddOptionsTexts();
    const QString chosen = QFileDialog::getExistingDirectory(Owner(), QString::fromStdString(Text(tgChooseFolder)),
                                                             QString::fromStdString(directory));
    if (chosen.isEmpty()) return false;
    directory = chosen.toStdString();
    return true;
}

} // namespace vorlin::app
