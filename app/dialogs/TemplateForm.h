// The template dialog TTemplateForm ("Vorlageneinstellungen "): the
// templates directly below "Templates", the default one preselected, and
// "Neu" for a new template. OK without a selection says "Select a Template
// first!" and keeps the dialog open. The caller makes the new template and
// shows the dialog again.
#pragma once

#include "app/DesktopDialogs.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace vorlin::app {

class TTemplateForm : public QDialog {
    Q_OBJECT
public:
    TTemplateForm(const std::vector<std::string>& templates, int row, QWidget* parent = nullptr);

    // Runs the dialog: tcChosen with the row, tcNew ("Neu") or tcCancel.
    TTemplateChoice Choose(int& row);
    int SelectedRow() const;
    QListWidget* List() const { return FList; }
    QPushButton* NewButton() const { return FNew; }
    // How "Select a Template first!" reaches the user (a message box; tests
    // record it).
    std::function<void(const QString& text)> ShowMessage;

    void accept() override;

private:
    QListWidget* FList;
    QPushButton* FNew;
    bool FNewPressed = false;
};

} // namespace vorlin::app
