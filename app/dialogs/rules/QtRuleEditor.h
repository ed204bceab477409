// The desktop program's rule dialogs, handed to the rule engine through
// SetRuleEditor at start-up: the rule dialog, the condition dialogs and the
// copy actions' folder dialog "Ordner auswählen". Each opens modally over
// the window that is active at the time.
#pragma once

#include "rules/RuleEditor.h"

class QWidget;

namespace vorlin::app {

class TQtRuleEditor : public IRuleEditor {
public:
    bool EditRule(THTTPVorlinRule& rule) override;
    bool EditMaskCondition(THTTPVorlinMaskCondition& condition) override;
    bool EditFileSizeCondition(TFileSizeCondition& condition) override;
    bool ChooseDirectory(std::string& directory) override;

protected:
    // The active modal dialog, else the active window, else none.
    static QWidget* Owner();
};

// Installs the editor for the life of the object (the program's main()).
class TRuleEditorInstallation {
public:
    explicit TRuleEditorInstallation(IRuleEditor& editor) : FPrevious(RuleEditor()) { SetRuleEditor(&editor); }
    ~TRuleEditorInstallation() { SetRuleEditor(FPrevious); }
    TRuleEditorInstallation(const TRuleEditorInstallation&) = delete;
    TRuleEditorInstallation& operator=(const TRuleEditorInstallation&) = delete;

private:
    IRuleEditor* FPrevious;
};

} // namespace vorlin::app
