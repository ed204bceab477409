// TBookmarkImport: the common part of every bookmark reader. A reader turns
// a browser's bookmarks into two parallel lists (keys and URLs) and then
// builds a cascading menu from them. The menu is reached through
// IBookmarkMenu, so readers and menu building stay free of the widget
// toolkit; the desktop program adapts it to its menus (BookmarkMenus.h).
//
// Key format: a folder is "/" followed by the folder names, each followed
// by "/" (/News/Local/); a bookmark is its folder's key followed by its
// title in double quotes (/News/"Daily") or, for a favourites tree, by its
// file name (/News/Daily.url). Folders carry an empty URL.
#pragma once

#include "platform/Exception.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vorlin::app {

// A bookmark file or database that can't be read. The message says why.
class EBookmarkImport : public Exception {
public:
    using Exception::Exception;
};

// Limits on what a reader takes in: a menu deeper or longer than this is
// of no use to anyone, and hostile files must not run the program out of
// memory or stack.
constexpr size_t kMaxBookmarkFolderDepth = 100;
constexpr size_t kMaxBookmarkEntries = 50000;
constexpr int64_t kMaxBookmarkFileSize = 64 * 1024 * 1024;
// A browser's database holds the history too, and grows large with it.
constexpr int64_t kMaxBookmarkDatabaseSize = 512 * 1024 * 1024;

// One menu item under which folders and bookmarks are built.
class IBookmarkMenu {
public:
    virtual ~IBookmarkMenu() = default;
    // A new submenu; the answer stays valid while the menu exists.
    virtual IBookmarkMenu* AddFolder(const std::string& caption, int imageIndex) = 0;
    virtual void AddBookmark(const std::string& caption, const std::string& url, int imageIndex) = 0;
};

// The images of the menu items: the icon the desktop associates with a
// file, added on request. -1 when there is none.
class IBookmarkImageList {
public:
    virtual ~IBookmarkImageList() = default;
    virtual int AddAssociatedIcon(const std::string& path) = 0;
};

class TBookmarkImport {
public:
    virtual ~TBookmarkImport() = default;

    // Rebuilds the key and URL lists and then the menu. Throws
    // EBookmarkImport when the source is malformed.
    virtual void Import() = 0;

    const std::vector<std::string>& Keys() const { return FKeys; }
    const std::vector<std::string>& URLs() const { return FURLs; }
    const std::string& Suffix() const { return FSuffix; }
    int BrowserIconIndex() const { return FBrowserIconIndex; }

    // Published properties.
    IBookmarkMenu* MenuItem = nullptr;
    IBookmarkImageList* ImageList = nullptr;
    int DirectoryIconIndex = -1;
    std::function<void(int percent)> OnPercentDone;

protected:
    void ClearLists();
    // Appends one key with its URL; throws when there are too many.
    void AddEntry(std::string key, std::string url);
    // Builds the menu under MenuItem from the lists (nothing without one).
    void BuildMenu();

    std::vector<std::string> FKeys;
    std::vector<std::string> FURLs;
    std::string FSuffix;
    int FBrowserIconIndex = -1;

private:
    void BuildLevel(IBookmarkMenu* menu, const std::vector<size_t>& keys, size_t pathLength, size_t& counter);
    void Advance(size_t& counter);
};

// The keys a folder and a bookmark get below prefix (a folder key), for
// readers whose titles may hold any character.
std::string FolderKey(const std::string& prefix, const std::string& title);
std::string BookmarkKey(const std::string& prefix, const std::string& title);
// Whether a browser's bookmark can start a download: "http://" or
// "https://" (any case). Bookmarklets, searches and browser-internal pages
// can't.
bool IsStartURL(const std::string& url);
// Position of the first "/" at or after from that lies outside double
// quotes (counted from from on); npos when there is none.
size_t FirstSlashOutsideQuotes(const std::string& key, size_t from);
// The caption of a bookmark: the key's remainder without the suffix, one
// pair of surrounding double quotes removed.
std::string BookmarkCaption(const std::string& remainder, const std::string& suffix);

} // namespace vorlin::app
