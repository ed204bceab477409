// The program settings dialog: a copy of the program settings record shown
// on a tree of pages. "&OK" writes the controls back into the copy; the
// caller replaces its record with Record() only when exec() answered
// Accepted ("Ab&brechen" discards the copy). Nothing is written to disk.
#pragma once

#include "app/dialogs/SettingsOffers.h"
#include "project/ProgramSettings.h"

#include <QDialog>

#include <vector>

namespace vorlin::ui {
class TTreeConfig;
}

namespace vorlin::app {

class TSettingsPage;

class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    TSettingsForm(const TProgramSettings& record, const TSettingsOffers& offers, QWidget* parent = nullptr);

    const TProgramSettings& Record() const { return FRecord; }
    ui::TTreeConfig* Pages() const { return FPages; }
    // The page with that tag (tgProxy, ...), for callers that open the
    // dialog on a page and for tests.
    TSettingsPage* Page(int tag) const;
    // Sets the texts again after the language changed.
    void Retranslate();

    void accept() override;

private:
    TProgramSettings FRecord;
    ui::TTreeConfig* FPages;
    std::vector<TSettingsPage*> FPageList;
};

} // namespace vorlin::app
