// The main window's answer to an address copied to the clipboard, by the
// program setting's reaction mode:
//   0  a project made at once, without questions and without a template;
//   1  a project from a template (every step asks);
//   2  a new project with the address as its URL and caption, then its options.
// The window comes to the front for the questions and goes back to where
// it was afterwards. A desktop may refuse the activation (Wayland lets no
// program activate itself): then the window only asks for attention and
// the questions still come, in their own dialogs. Another program's window
// can't be minimised from here, as the design did on its platform.
#include "app/HttpGetForm.h"

#include "app/MainWindowTexts.h"
#include "app/ProjectFromTemplate.h"
#include "app/ProjectTree.h"
#include "app/texts/Texts.h"
#include "platform/DebugLog.h"
#include "project/DownloadProject.h"

#include <QApplication>
#include <QTimer>

namespace vorlin::app {

bool THttpGetForm::BringToFront() {
    const bool wasAway = !isVisible() || (windowState() & Qt::WindowMinimized);
    if (wasAway) showNormal();
    raise();
    activateWindow();
    // Where the desktop refuses the activation (Wayland), it at least
    // shows that the window wants attention.
    QApplication::alert(this);
    return wasAway;
}

void THttpGetForm::RestoreAfterClipboard(bool wasAway) {
    if (!wasAway) return;
    // WM_USER+100: after the dialogs have closed.
    QTimer::singleShot(0, this, [this] {
        if (FTray)
            hide();
        else
            showMinimized();
    });
}

void THttpGetForm::ClipboardUrl(const std::string& url) {
    try {
        const uint8_t mode = FSettings.ClipboardType;
        if (mode == 1) {
            const bool wasAway = BringToFront();
            CreateProjFromTemplate(url);
            RestoreAfterClipboard(wasAway);
            return;
        }
        if (mode != 0 && mode != 2) return;
        TProjectFromTemplate rules(*FTree, *FDialogs, FSettings);
        TProjectNode* folder = rules.TargetFolder(SelectedNode());
        TProjectNode* node = FTree->NewProject(folder, TProjectTree::CleanCaption(url, '_'));
        node->Project->URL = url;
        if (mode == 0) {
            // Silent: the default directory (a run without one says so).
            node->Project->Destination = FSettings.DefaultDownloadDir;
            node->Project->SaveToFile(FTree->BasePath(node) + ".prj");
            SetStatus(0, FormatText(tgProjectFromClipboard, {FTree->NodePath(node)}));
            return;
        }
        node->Project->SaveToFile(FTree->BasePath(node) + ".prj");
        const bool wasAway = BringToFront();
        SelectNode(node);
        OpenOptions(node);
        RestoreAfterClipboard(wasAway);
    } catch (const std::exception& e) {
        // A failed reaction to the clipboard is no error of the user's.
        DebugLog(std::string("Clipboard: ") + e.what());
    }
}

} // namespace vorlin::app
