// Viewing the selected project (acOpenInBrowser) through the viewing
// server companion or, without one, its first stored page from disk
// (ProjectViewer.h). The action's hint names the way before; the status
// bar names what was opened after.
#include "app/HttpGetForm.h"

#include "app/MainWindowTexts.h"
#include "app/ProjectViewer.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "project/DownloadProject.h"

#include <QAction>
#include <QApplication>

namespace vorlin::app {

void THttpGetForm::ShowViewingChoice() {
    const int tag = FViewer->CompanionInstalled() ? tgViewThroughServer : tgViewFromDisk;
    if (Tag(FActions.acOpenInBrowser) != tag) SetTag(FActions.acOpenInBrowser, tag);
}

void THttpGetForm::OpenInBrowser() {
    ShowViewingChoice();
    TProjectNode* node = SelectedNode();
    if (!node || !node->Project || FTree->KindOf(node) != TNodeKind::nkProject) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TViewing viewing;
    try {
        viewing = FViewer->View(*node->Project, FTree->NodePath(node), FTree->BasePath(node) + ".dat",
                                FSettings.DefaultDownloadDir, FHome);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        FDialogs->Message(e.what(), true);
        return;
    }
    QApplication::restoreOverrideCursor();
    switch (viewing.Way) {
    case TViewing::TWay::vwServer: SetStatus(0, FormatText(tgViewedThroughServer, {viewing.Target})); break;
    case TViewing::TWay::vwFile: SetStatus(0, FormatText(tgViewedFromDisk, {viewing.Target})); break;
    case TViewing::TWay::vwNothing: FDialogs->Message(Text(tgNothingStoredYet)); break;
    }
}

} // namespace vorlin::app
