// One panel of the project options dialog that edits fields of the project:
// shown from the project unless it is new (a new project keeps the panel's
// initial states), written back when the dialog is confirmed.
#pragma once

#include "project/DownloadProject.h"

#include <QWidget>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace vorlin::app {

class TOptionsPage : public QWidget {
public:
    explicit TOptionsPage(QWidget* parent = nullptr) : QWidget(parent) {}
    // The page's tag: its caption in the tree of pages.
    virtual int Tag() const = 0;
    virtual void Load(const TDownloadProject& project) = 0;
    virtual void Store(TDownloadProject& project) const = 0;
};

// Radio buttons that stand for the values 0, 1, 2 ... of one field, in the
// order they were added. A value without a button selects none, which the
// exclusive group of Qt alone can't show.
class TRadioChoice {
public:
    explicit TRadioChoice(QObject* owner);
    QRadioButton* Add(int tag, const char* name, QWidget* parent);
    void Select(int value);
    // The value of the selected button, or none when no button is selected.
    int Selected(int none) const;
    QButtonGroup* Group() const { return FGroup; }

private:
    QButtonGroup* FGroup;
    std::vector<QRadioButton*> FButtons;
};

} // namespace vorlin::app
