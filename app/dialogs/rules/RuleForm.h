// The rule dialog "Properties of this Filter Rule: " + name: every condition
// and every action of the rule in two check lists (checked = active), and
// the live description, whose connector words toggle "and"/"or" and whose
// lines open the element's own dialog. The dialog edits the rule itself;
// the rule gives back its old settings when the dialog is not confirmed.
#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;

namespace vorlin {
class THTTPVorlinRule;
}

namespace vorlin::app {

class TRuleDescriptionView;

class TRuleForm : public QDialog {
    Q_OBJECT
public:
    explicit TRuleForm(THTTPVorlinRule& rule, QWidget* parent = nullptr);

    QListWidget* Conditions() const { return FConditions; }
    QListWidget* Actions() const { return FActions; }
    TRuleDescriptionView* Description() const { return FDescription; }

    // A click on the description at a position (as the rule counts it).
    void DescriptionClick(int position);

private:
    void Fill();
    void ShowDescription();
    void ItemChanged(QListWidget* list, QListWidgetItem* item);

    THTTPVorlinRule& FRule;
    QListWidget* FConditions;
    QListWidget* FActions;
    TRuleDescriptionView* FDescription;
    bool FFilling = false;
};

} // namespace vorlin::app
