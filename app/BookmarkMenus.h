// The menus of imported bookmarks under "Importierte Lesezeichen": one per
// source ("Netscape Navigator", "Internet Explorer", and beyond those the
// Firefox and Chromium bookmarks), each starting with its update action.
// Owns the readers (app/bookmarks/) and adapts their menu building to Qt
// menus; the main window decides what a chosen bookmark does.
#pragma once

#include "app/bookmarks/BookmarkSources.h"

#include <QObject>
#include <QIcon>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace vorlin {
struct TProgramSettings;
}

namespace vorlin::app {

class TBookmarkImport;

enum class TBookmarkSource { bsNetscape, bsInternetExplorer, bsFirefox, bsChromium };
constexpr int kBookmarkSourceCount = 4;

class TBookmarkMenus : public QObject {
public:
    // Builds the four menus and their update actions into menu.
    TBookmarkMenus(QMenu* menu, QObject* parent);
    ~TBookmarkMenus() override;

    QMenu* Menu(TBookmarkSource source) const;
    QAction* UpdateAction(TBookmarkSource source) const;
    // The reader of the last import of that source.
    const TBookmarkImport& Reader(TBookmarkSource source) const;

    // Empties the source's menu but for its update item, appends a
    // separator, finds the source the settings name and imports it. Throws
    // what the reader throws.
    void Import(TBookmarkSource source, const TProgramSettings& settings, const TBrowserHome& home);

    // Progress of an import, 0-100.
    std::function<void(int percent)> OnPercentDone;
    // A bookmark was chosen: its caption as shown and its URL.
    std::function<void(const std::string& caption, const std::string& url)> OnClick;

private:
    class TIcons;
    class TMenuItem;
    struct TSourceMenu {
        QMenu* Menu = nullptr;
        QAction* Update = nullptr;
        std::unique_ptr<TBookmarkImport> Reader;
    };
    TSourceMenu& Of(TBookmarkSource source) { return FSources[static_cast<size_t>(source)]; }
    const TSourceMenu& Of(TBookmarkSource source) const { return FSources[static_cast<size_t>(source)]; }

    std::array<TSourceMenu, kBookmarkSourceCount> FSources;
    std::unique_ptr<TIcons> FIcons;
};

} // namespace vorlin::app
