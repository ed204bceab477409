// The condition dialog "Properties of this Condition" of the mask
// conditions: the list heading (negated form when negated) over one line
// per mask joined by the condition's connector, an edit with "Ad&d",
// "R&emove" and "&Edit", the and/or choice and "Negotiate the whole
// condition". The dialog works on its own copy of the settings and writes
// them into the condition on "&OK" (which first adds a mask still standing
// in the edit). A malformed mask is refused when it is added.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace vorlin {
class THTTPVorlinMaskCondition;
}

namespace vorlin::app {

class TConditionForm : public QDialog {
public:
    explicit TConditionForm(THTTPVorlinMaskCondition& condition, QWidget* parent = nullptr);

    QListWidget* List() const { return FList; }
    const std::vector<std::string>& Masks() const { return FMasks; }

    // False (and the reason shown) when the edit holds a malformed mask.
    bool AddMask();
    void RemoveMask();
    void EditMask();
    void accept() override;

private:
    void Fill();
    // The mask index of the selected line; -1 for the heading or none.
    int SelectedMask() const;

    THTTPVorlinMaskCondition& FCondition;
    std::vector<std::string> FMasks;
    QListWidget* FList;
    QLineEdit* FEdit;
    QLabel* FError;
    QRadioButton* FAll;
    QRadioButton* FAny;
    QCheckBox* FNegate;
};

} // namespace vorlin::app
