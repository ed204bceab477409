// "Advanced Filters" of the project options dialog: the project's rule list
// as a check list (caption = the rule's name, check = whether it is
// enabled). Adding a rule opens its editor and takes the rule back when the
// editor is cancelled; captions and check marks the user changes are
// written to the rules at once. The list belongs to the dialog.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlin {
class THTTPVorlinRules;
}

namespace vorlin::app {

class TAdvancedFiltersPage : public QWidget {
public:
    // readOnly: the rules file could not be read; the page shows what was
    // read and changes nothing.
    TAdvancedFiltersPage(THTTPVorlinRules& rules, bool readOnly, QWidget* parent = nullptr);

    QTreeWidget* List() const { return FList; }

    // "&Add Rule", "&Delete Rule", "&Edit Rule" (also a double click).
    void AddRule();
    void DeleteRule();
    void EditRule();
    // Shows every rule again (the filling suppresses change notifications).
    void Fill();
    // Empties the view (when the dialog closes).
    void Clear();

private:
    void ShowRule(QTreeWidgetItem* item, int index);
    void ItemChanged(QTreeWidgetItem* item);
    void UpdateButtons();

    THTTPVorlinRules& FRules;
    QTreeWidget* FList;
    QPushButton* FAdd;
    QPushButton* FDelete;
    QPushButton* FEdit;
    bool FFilling = false;
    bool FReadOnly;
};

} // namespace vorlin::app
