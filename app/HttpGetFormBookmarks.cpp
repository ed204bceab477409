// The main window's side of the bookmark import: the menu "Importierte
// Lesezeichen", the imports (at start-up as the settings ask, and by the
// update actions) with status text, hourglass and progress, and a chosen
// bookmark, which opens its project or starts a new one.
#include "app/HttpGetForm.h"

#include "app/BookmarkMenus.h"
#include "app/ProjectTreeModel.h"
#include "app/texts/BookmarkTexts.h"
#include "app/texts/Tagging.h"
#include "app/texts/Texts.h"
#include "app/MainWindowTexts.h"
#include "platform/DebugLog.h"
#include "project/DownloadProject.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSortFilterProxyModel>
#include <QTreeView>

namespace vorlin::app {

namespace {

int StatusTextOf(TBookmarkSource source) {
    switch (source) {
    case TBookmarkSource::bsNetscape: return btImportingNetscape;
    case TBookmarkSource::bsInternetExplorer: return btImportingIE;
    case TBookmarkSource::bsFirefox: return btImportingFirefox;
    case TBookmarkSource::bsChromium: return btImportingChromium;
    }
    return btImportingNetscape;
}

// Restores the cursor, the status text and the progress bars however the
// import ends.
class TImportScope {
public:
    TImportScope(std::function<void()> done) : FDone(std::move(done)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TImportScope() {
        QApplication::restoreOverrideCursor();
        FDone();
    }

private:
    std::function<void()> FDone;
};

} // namespace

void THttpGetForm::CreateBookmarkMenus() {
    AddBookmarkTexts();
    QMenu* menu = menuBar()->addMenu(QString());
    menu->setObjectName("miImportedBookmarks");
    SetTag(menu, tgBookmarksMenu);
    FBookmarks = new TBookmarkMenus(menu, this);
    FBookmarks->OnPercentDone = [this](int percent) {
        if (percent == FProgressBars[0]->value()) return;
        FProgressBars[0]->setValue(percent);
        FProgressBars[1]->setValue(percent);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    FBookmarks->OnClick = [this](const std::string& caption, const std::string& url) { FavoritesClick(caption, url); };
    for (int i = 0; i < kBookmarkSourceCount; ++i) {
        const auto source = static_cast<TBookmarkSource>(i);
        connect(FBookmarks->UpdateAction(source), &QAction::triggered, this, [this, source] { UpdateBookMarks(source); });
    }
}

void THttpGetForm::UpdateBookMarks(TBookmarkSource source) {
    Guard("Error in UpdateBookMarks ()", [&] { ImportBookmarks(source); });
}

void THttpGetForm::ImportBookmarks(TBookmarkSource source) {
    SetStatus(0, Text(StatusTextOf(source)));
    TImportScope scope([this] {
        SetStatus(0, "");
        FProgressBars[0]->setValue(0);
        FProgressBars[1]->setValue(0);
    });
    FBookmarks->Import(source, FSettings, BrowserHomeFromEnvironment());
}

void THttpGetForm::ImportBookmarksAtStartUp() {
    const TBrowserHome home = BrowserHomeFromEnvironment();
    const struct {
        TBookmarkSource Source;
        bool Wanted;
        const char* Context;
    } imports[] = {
        {TBookmarkSource::bsNetscape, FSettings.LoadBookmOnStartUp && !NetscapeBookmarkFile(FSettings, home).empty(),
         "Error importing Netscape bookmarks"},
        {TBookmarkSource::bsInternetExplorer, FSettings.LoadFavOnStartUp, "Error importing IE bookmarks"},
        {TBookmarkSource::bsFirefox, FSettings.LoadFirefoxOnStartUp, "Error importing Firefox bookmarks"},
        {TBookmarkSource::bsChromium, FSettings.LoadChromiumOnStartUp, "Error importing Chromium bookmarks"},
    };
    // Each failure is reported on its own and the others still run.
    for (const auto& import : imports)
        if (import.Wanted) Guard(import.Context, [&] { ImportBookmarks(import.Source); });
}

void THttpGetForm::FavoritesClick(const std::string& caption, const std::string& url) {
    Guard("Error in FavoritesClick ()", [&] {
        if (url.empty()) return;
        TProjectNode* existing = nullptr;
        FTree->ForEach([&](TProjectNode* node) {
            if (!existing && node->Project && !FTree->IsUnderTemplates(node) && node->Project->URL == url) existing = node;
        });
        if (existing) {
            if (FDialogs->Question(Text(btProjectExists), TButtons::bnYesNo, TAnswer::anYes) == TAnswer::anYes) {
                SelectNode(existing);
                // Viewing the stored copy is the project's own action.
                FActions.acOpenInBrowser->trigger();
            }
            return;
        }
        // A new project comes from a template, as every project made from
        // an address does; the bookmark's caption is its name.
        if (TProjectNode* node = CreateProjFromTemplate(url, caption))
            FProjectTreeView->expand(FTreeSort->mapFromSource(FTreeModel->IndexOf(FTree->FolderOf(node))));
    });
}

} // namespace vorlin::app
