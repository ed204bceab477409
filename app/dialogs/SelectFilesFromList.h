// Half-automatic selection: the links found on a page that are not forced
// yet, for the user to tick the ones the run should follow. OK sets each
// listed link's Forced to its tick (under the link's lock); the run gives a
// link that is forced now back to its scheduler on its own thread.
#pragma once

#include <QDialog>

namespace vorlin {
class TDownloadLink;
class TDownloadProject;
}

class QTreeView;

namespace vorlin::app {

class TLinkChoiceModel;
class TMaskBar;

class TfmSelectFilesFromList : public QDialog {
    Q_OBJECT
public:
    TfmSelectFilesFromList(TDownloadProject& project, TDownloadLink& page, QWidget* parent = nullptr);

    // Whether the page has a link to offer at all; without one no dialog is shown.
    static bool HasLinksToOffer(TDownloadProject& project, TDownloadLink& page);

    TLinkChoiceModel* Model() const { return FModel; }
    TMaskBar* MaskBar() const { return FMaskBar; }
    QTreeView* List() const { return FList; }

    void accept() override;

private:
    TLinkChoiceModel* FModel;
    TMaskBar* FMaskBar;
    QTreeView* FList;
};

} // namespace vorlin::app
