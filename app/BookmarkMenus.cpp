#include "app/BookmarkMenus.h"

#include "app/bookmarks/ChromiumImport.h"
#include "app/bookmarks/FirefoxImport.h"
#include "app/bookmarks/IEImport.h"
#include "app/bookmarks/NetscapeImport.h"
#include "app/texts/BookmarkTexts.h"
#include "app/texts/Tagging.h"
#include "platform/StringUtils.h"
#include "project/ProgramSettings.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

namespace vorlin::app {

// The image list of the menus: the icon the desktop's theme has for a
// browser or a shortcut, else one of the style's.
class TBookmarkMenus::TIcons : public IBookmarkImageList {
public:
    int AddAssociatedIcon(const std::string& path) override {
        if (path.empty()) return -1;
        QStyle* style = QApplication::style();
        QIcon icon;
        // A page to start from: the theme's web page icon, else a link.
        const QIcon page = QIcon::fromTheme("text-html", style->standardIcon(QStyle::SP_FileLinkIcon));
        if (StartsText("firefox", path) || StartsText("chromium", path))
            icon = QIcon::fromTheme(QString::fromStdString(path), page);
        else
            icon = page;
        return Add(icon);
    }
    int Add(const QIcon& icon) {
        FIcons.push_back(icon);
        return static_cast<int>(FIcons.size()) - 1;
    }
    QIcon At(int index) const {
        return index >= 0 && index < static_cast<int>(FIcons.size()) ? FIcons[static_cast<size_t>(index)] : QIcon();
    }

private:
    std::vector<QIcon> FIcons;
};

// One Qt menu as the readers' menu item; submenus are owned by their menu.
class TBookmarkMenus::TMenuItem : public IBookmarkMenu {
public:
    TMenuItem(QMenu* menu, TBookmarkMenus& owner) : FMenu(menu), FOwner(owner) {}

    IBookmarkMenu* AddFolder(const std::string& caption, int imageIndex) override {
        QMenu* sub = FMenu->addMenu(FOwner.FIcons->At(imageIndex), Shown(caption));
        FChildren.push_back(std::make_unique<TMenuItem>(sub, FOwner));
        return FChildren.back().get();
    }
    void AddBookmark(const std::string& caption, const std::string& url, int imageIndex) override {
        QAction* action = FMenu->addAction(FOwner.FIcons->At(imageIndex), Shown(caption));
        action->setData(QString::fromStdString(url));
        action->setToolTip(QString::fromStdString(url));
        TBookmarkMenus* owner = &FOwner;
        QObject::connect(action, &QAction::triggered, owner, [owner, caption, url] {
            if (owner->OnClick) owner->OnClick(caption, url);
        });
    }

private:
    // A menu takes "&" as the mark of a shortcut key.
    static QString Shown(const std::string& caption) { return QString::fromStdString(caption).replace("&", "&&"); }

    QMenu* FMenu;
    TBookmarkMenus& FOwner;
    std::vector<std::unique_ptr<TMenuItem>> FChildren;
};

TBookmarkMenus::TBookmarkMenus(QMenu* menu, QObject* parent) : QObject(parent), FIcons(std::make_unique<TIcons>()) {
    AddBookmarkTexts();
    struct TPlan {
        TBookmarkSource Source;
        int MenuTag, UpdateTag;
        const char *MenuName, *UpdateName;
        std::unique_ptr<TBookmarkImport> Reader;
    };
    TPlan plans[] = {
        {TBookmarkSource::bsNetscape, tgNetscapeMenu, tgUpdateBookmarks, "miNetscape", "acUpdateBookmarks",
         std::make_unique<TNetscapeImport>()},
        {TBookmarkSource::bsInternetExplorer, tgIEMenu, tgUpdateFavorites, "miInternetExplorer", "acUpdateFavorites",
         std::make_unique<TIEImport>()},
        {TBookmarkSource::bsFirefox, tgFirefoxMenu, tgUpdateFirefox, "miFirefox", "acUpdateFirefox",
         std::make_unique<TFirefoxImport>()},
        {TBookmarkSource::bsChromium, tgChromiumMenu, tgUpdateChromium, "miChromium", "acUpdateChromium",
         std::make_unique<TChromiumImport>()},
    };
    const int directoryIcon = FIcons->Add(QApplication::style()->standardIcon(QStyle::SP_DirIcon));
    const QIcon refresh = QApplication::style()->standardIcon(QStyle::SP_BrowserReload);
    for (TPlan& plan : plans) {
        TSourceMenu& source = Of(plan.Source);
        source.Menu = menu->addMenu(QString());
        source.Menu->setObjectName(plan.MenuName);
        SetTag(source.Menu, plan.MenuTag);
        source.Menu->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirIcon));
        source.Update = source.Menu->addAction(refresh, QString());
        source.Update->setObjectName(plan.UpdateName);
        SetTag(source.Update, plan.UpdateTag);
        source.Menu->addSeparator();
        source.Reader = std::move(plan.Reader);
        source.Reader->ImageList = FIcons.get();
        source.Reader->DirectoryIconIndex = directoryIcon;
        source.Reader->OnPercentDone = [this](int percent) {
            if (OnPercentDone) OnPercentDone(percent);
        };
    }
}

TBookmarkMenus::~TBookmarkMenus() = default;

QMenu* TBookmarkMenus::Menu(TBookmarkSource source) const { return Of(source).Menu; }
QAction* TBookmarkMenus::UpdateAction(TBookmarkSource source) const { return Of(source).Update; }
const TBookmarkImport& TBookmarkMenus::Reader(TBookmarkSource source) const { return *Of(source).Reader; }

void TBookmarkMenus::Import(TBookmarkSource source, const TProgramSettings& settings, const TBrowserHome& home) {
    TSourceMenu& target = Of(source);
    // Everything but the update item goes, submenus with their items.
    const QList<QAction*> actions = target.Menu->actions();
    for (QAction* action : actions) {
        if (action == target.Update) continue;
        target.Menu->removeAction(action);
        if (QMenu* sub = action->menu()) sub->deleteLater();
        if (action->parent() == target.Menu) action->deleteLater();
    }
    target.Menu->addSeparator();
    TMenuItem root(target.Menu, *this);
    TBookmarkImport& reader = *target.Reader;
    reader.MenuItem = &root;
    struct TDetach {
        TBookmarkImport& Reader;
        ~TDetach() { Reader.MenuItem = nullptr; }
    } detach{reader};
    switch (source) {
    case TBookmarkSource::bsNetscape: {
        auto& netscape = static_cast<TNetscapeImport&>(reader);
        netscape.FBookMarkFile = NetscapeBookmarkFile(settings, home);
        netscape.FInstallDirectory = BrowserInstallDirectory();
        break;
    }
    case TBookmarkSource::bsInternetExplorer:
        static_cast<TIEImport&>(reader).FDirectory = FavoritesDirectory(settings, home);
        break;
    case TBookmarkSource::bsFirefox:
        static_cast<TFirefoxImport&>(reader).FPlacesFile = FirefoxPlacesFile(settings, home);
        break;
    case TBookmarkSource::bsChromium:
        static_cast<TChromiumImport&>(reader).FBookmarksFile = ChromiumBookmarksFile(settings, home);
        break;
    }
    reader.Import();
}

} // namespace vorlin::app
