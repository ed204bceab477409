#include "app/bookmarks/FirefoxImport.h"

#include "platform/FileSystem.h"
#include "platform/StringUtils.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace vorlin::app {

namespace {

constexpr int kTypeBookmark = 1;
constexpr int kTypeFolder = 2;

// A private folder for the copy, removed with everything in it.
class TTemporaryFolder {
public:
    TTemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/vorlin-places-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw EBookmarkImport("No temporary folder for the bookmark database");
        FPath = pattern + "/";
    }
    ~TTemporaryFolder() {
        for (const std::string& name : ListDirectory(FPath)) DeleteFile(FPath + name);
        RemoveDir(FPath);
    }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

struct TItem {
    int64_t Id = 0;
    int Type = 0;
    std::string Title, Guid, URL;
};

std::string Column(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// The roots as the browser names them in its own menus; the menu root's
// contents come first, at the top, as the browser exports them.
std::string RootTitle(const std::string& guid, const std::string& title) {
    if (guid == "toolbar_____") return "Bookmarks Toolbar";
    if (guid == "unfiled_____") return "Other Bookmarks";
    if (guid == "mobile______") return "Mobile Bookmarks";
    return title;
}

} // namespace

void TFirefoxImport::Import() {
    if (FPlacesFile.empty() || !FileExists(FPlacesFile)) return;
    ClearLists();
    if (FBrowserIconIndex == -1 && ImageList) FBrowserIconIndex = ImageList->AddAssociatedIcon("firefox");
    if (FileSizeOf(FPlacesFile) > kMaxBookmarkDatabaseSize || FileSizeOf(FPlacesFile + "-wal") > kMaxBookmarkDatabaseSize)
        throw EBookmarkImport(Format("The bookmark database \"%s\" is larger than %d MB", FPlacesFile,
                                     static_cast<int>(kMaxBookmarkDatabaseSize / (1024 * 1024))));
    TTemporaryFolder folder;
    const std::string copy = folder.Path() + "places.sqlite";
    if (!CopyFile(FPlacesFile, copy, true))
        throw EBookmarkImport(Format("The bookmark database \"%s\" can not be copied", FPlacesFile));
    if (FileExists(FPlacesFile + "-wal") && !CopyFile(FPlacesFile + "-wal", copy + "-wal", true))
        throw EBookmarkImport(Format("The bookmark database \"%s\" can not be copied", FPlacesFile + "-wal"));
    ReadDatabase(copy);
    FSuffix.clear();
    BuildMenu();
}

void TFirefoxImport::ReadDatabase(const std::string& path) {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    auto fail = [&](const char* what) {
        throw EBookmarkImport(Format("The bookmark database \"%s\" can not be read (%s): %s", FPlacesFile, what,
                                     db ? sqlite3_errmsg(db.get()) : "out of memory"));
    };
    if (opened != SQLITE_OK) fail("open");
    // A damaged file must not keep the program waiting on a lock.
    sqlite3_busy_timeout(db.get(), 2000);
    const char* query =
        "SELECT b.id, b.parent, b.type, b.title, b.guid, p.url FROM moz_bookmarks b "
        "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(db.get(), query, -1, &rawStatement, nullptr) != SQLITE_OK) fail("query");
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(rawStatement, sqlite3_finalize);

    // Children by parent, in their order; the root is the item without parent.
    std::map<int64_t, std::vector<TItem>> children;
    size_t rows = 0;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (++rows > 4 * kMaxBookmarkEntries)
            throw EBookmarkImport(Format("More than %d bookmarks: too many for a menu", static_cast<int>(kMaxBookmarkEntries)));
        TItem item;
        item.Id = sqlite3_column_int64(statement.get(), 0);
        item.Type = sqlite3_column_int(statement.get(), 2);
        item.Title = Column(statement.get(), 3);
        item.Guid = Column(statement.get(), 4);
        item.URL = Column(statement.get(), 5);
        children[sqlite3_column_int64(statement.get(), 1)].push_back(std::move(item));
    }
    if (step != SQLITE_DONE) fail("rows");

    // The root's children are the browser's own folders; the tags folder
    // holds no bookmarks of its own and is left out.
    struct TLevel {
        const std::vector<TItem>* Items;
        size_t Next;
        std::string Prefix;
    };
    std::vector<TLevel> stack;
    const std::vector<TItem>* roots = nullptr;
    for (const auto& [parent, items] : children) {
        for (const TItem& item : items)
            if (item.Guid == "root________") roots = &children[item.Id];
        if (roots) break;
    }
    if (!roots) return;
    // Copies the roots so that a hostile file that makes the root its own
    // child can't loop: every other level is reached from the root once.
    std::map<int64_t, bool> visited;
    std::vector<TItem> ordered;
    for (const TItem& root : *roots)
        if (root.Guid == "menu________") ordered.insert(ordered.begin(), root);
        else if (root.Guid != "tags________") ordered.push_back(root);
    stack.push_back({&ordered, 0, "/"});
    while (!stack.empty()) {
        TLevel& level = stack.back();
        if (level.Next >= level.Items->size()) {
            stack.pop_back();
            continue;
        }
        const TItem& item = (*level.Items)[level.Next++];
        const std::string prefix = level.Prefix;
        if (item.Type == kTypeFolder) {
            if (visited[item.Id]) continue;
            visited[item.Id] = true;
            auto found = children.find(item.Id);
            if (found == children.end() || found->second.empty()) continue;
            if (stack.size() > kMaxBookmarkFolderDepth)
                throw EBookmarkImport(Format("Bookmark folders are nested deeper than %d levels",
                                             static_cast<int>(kMaxBookmarkFolderDepth)));
            // The menu root's contents lie at the top itself.
            std::string key = item.Guid == "menu________" && stack.size() == 1 ? prefix : FolderKey(prefix, RootTitle(item.Guid, item.Title));
            if (key != prefix) AddEntry(key, std::string());
            stack.push_back({&found->second, 0, key});
        } else if (item.Type == kTypeBookmark && IsStartURL(item.URL)) {
            AddEntry(BookmarkKey(prefix, item.Title.empty() ? item.URL : item.Title), item.URL);
        }
    }
}

} // namespace vorlin::app
