#include "app/bookmarks/ChromiumImport.h"

#include "app/bookmarks/NetscapeImport.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"

#include <nlohmann/json.hpp>

namespace vorlin::app {

namespace {

using TJson = nlohmann::json;

// Each folder is two levels of JSON (the folder object and its children
// array); the roots add three.
constexpr int kMaxJsonDepth = static_cast<int>(2 * kMaxBookmarkFolderDepth + 8);

std::string StringMember(const TJson& object, const char* name) {
    auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

} // namespace

void TChromiumImport::Import() {
    if (FBookmarksFile.empty() || !FileExists(FBookmarksFile)) return;
    ClearLists();
    if (FBrowserIconIndex == -1 && ImageList) FBrowserIconIndex = ImageList->AddAssociatedIcon("chromium");
    const std::string text = ReadBookmarkFile(FBookmarksFile);
    TJson document;
    try {
        // The parser itself keeps no stack, but a document nested deeper
        // than any bookmark tree is refused while it is read.
        document = TJson::parse(text, [](int depth, TJson::parse_event_t, TJson&) {
            if (depth > kMaxJsonDepth)
                throw EBookmarkImport(Format("Bookmark folders are nested deeper than %d levels",
                                             static_cast<int>(kMaxBookmarkFolderDepth)));
            return true;
        });
    } catch (const TJson::exception& e) {
        throw EBookmarkImport(Format("The bookmark file \"%s\" is not valid JSON: %s", FBookmarksFile, e.what()));
    }
    auto roots = document.is_object() ? document.find("roots") : document.end();
    if (!document.is_object() || roots == document.end() || !roots->is_object())
        throw EBookmarkImport(Format("The bookmark file \"%s\" holds no bookmarks (no \"roots\")", FBookmarksFile));

    struct TLevel {
        const TJson* Children;
        size_t Next;
        std::string Prefix;
    };
    std::vector<TLevel> stack;
    static const std::pair<const char*, const char*> kRoots[] = {
        {"bookmark_bar", "Bookmarks bar"}, {"other", "Other bookmarks"}, {"synced", "Mobile bookmarks"}};
    for (const auto& [name, fallback] : kRoots) {
        auto root = roots->find(name);
        if (root == roots->end() || !root->is_object()) continue;
        auto children = root->find("children");
        if (children == root->end() || !children->is_array() || children->empty()) continue;
        std::string title = StringMember(*root, "name");
        const std::string key = FolderKey("/", title.empty() ? fallback : title);
        AddEntry(key, std::string());
        stack.push_back({&*children, 0, key});
        while (!stack.empty()) {
            TLevel& level = stack.back();
            if (level.Next >= level.Children->size()) {
                stack.pop_back();
                continue;
            }
            const TJson& item = (*level.Children)[level.Next++];
            // Entries of the wrong shape are skipped; the rest still shows.
            if (!item.is_object()) continue;
            const std::string type = StringMember(item, "type");
            const std::string itemName = StringMember(item, "name");
            const std::string prefix = level.Prefix;
            if (type == "folder") {
                auto inner = item.find("children");
                if (inner == item.end() || !inner->is_array()) continue;
                if (stack.size() >= kMaxBookmarkFolderDepth)
                    throw EBookmarkImport(Format("Bookmark folders are nested deeper than %d levels",
                                                 static_cast<int>(kMaxBookmarkFolderDepth)));
                std::string folderKey = FolderKey(prefix, itemName);
                AddEntry(folderKey, std::string());
                stack.push_back({&*inner, 0, std::move(folderKey)});
            } else if (type == "url") {
                const std::string url = StringMember(item, "url");
                if (IsStartURL(url)) AddEntry(BookmarkKey(prefix, itemName.empty() ? url : itemName), url);
            }
        }
    }
    FSuffix.clear();
    BuildMenu();
}

} // namespace vorlin::app
