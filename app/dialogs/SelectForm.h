// The file selection ("Auswahl der Dateien"): every link of the project in
// a tree of its URL segments, ticked when forced, with the mask row. A
// status window "Loading Structure..." with a progress bar shows while a
// large list is read. OK sets each link's Forced to its node's tick.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QTreeView;

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::app {

class TMaskBar;
class TStructureSelectionModel;
struct TStructureEntry;

class TSelectForm : public QDialog {
    Q_OBJECT
public:
    // From this many links on, the status window shows while the tree fills.
    static constexpr int kLoadingWindowFrom = 1000;

    // Over the project's link list: for a project without a run, or while
    // its run waits for the answer (the structure mode at the run's end).
    TSelectForm(TDownloadProject& project, QWidget* parent = nullptr);
    // Over links collected elsewhere: while a run goes on, CollectStructure
    // runs on the run's thread (RunSynchronized), the dialog on this one.
    TSelectForm(const std::vector<TStructureEntry>& entries, QWidget* parent = nullptr);

    TStructureSelectionModel* Model() const { return FModel; }
    TMaskBar* MaskBar() const { return FMaskBar; }
    QTreeView* Tree() const { return FTree; }

    void accept() override;

private:
    TStructureSelectionModel* FModel = nullptr;
    TMaskBar* FMaskBar;
    QTreeView* FTree;
};

// The file selection of a project that is not running, over its link data
// file: loads the ".dat", lets the user choose, and on OK writes the file
// back (version 0.97); the list is cleared afterwards. A link data file
// that can't be read completely is never written back (it would lose what
// was not read): false with the reason in error. True when the user chose.
bool SelectStoredStructure(TDownloadProject& project, QWidget* parent, std::string& error);

} // namespace vorlin::app
