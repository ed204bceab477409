#include "app/bookmarks/BookmarkImport.h"

#include "platform/StringUtils.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vorlin::app {

namespace {

// A double quote inside a title would upset the quoting of bookmark keys;
// titles carry it as the entity an exported bookmark file uses for it.
std::string QuoteSafe(const std::string& title) { return ReplaceAll(title, "\"", "&quot;"); }

std::string Shown(const std::string& text) { return ReplaceAll(text, "&quot;", "\""); }

bool EndsWithText(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && SameText(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}

} // namespace

// A "/" in a folder's title would split it into two levels of menus; it is
// shown as the division slash, which looks the same.
std::string FolderKey(const std::string& prefix, const std::string& title) {
    return prefix + ReplaceAll(QuoteSafe(title), "/", "\u2215") + "/";
}

std::string BookmarkKey(const std::string& prefix, const std::string& title) {
    return prefix + "\"" + QuoteSafe(title) + "\"";
}

bool IsStartURL(const std::string& url) { return StartsText("http://", url) || StartsText("https://", url); }

size_t FirstSlashOutsideQuotes(const std::string& key, size_t from) {
    bool quoted = false;
    for (size_t i = from; i < key.size(); ++i) {
        if (key[i] == '"')
            quoted = !quoted;
        else if (key[i] == '/' && !quoted)
            return i;
    }
    return std::string::npos;
}

std::string BookmarkCaption(const std::string& remainder, const std::string& suffix) {
    std::string caption = remainder.substr(0, remainder.size() - std::min(suffix.size(), remainder.size()));
    if (caption.size() >= 2 && caption.front() == '"' && caption.back() == '"') caption = caption.substr(1, caption.size() - 2);
    return Shown(caption);
}

void TBookmarkImport::ClearLists() {
    FKeys.clear();
    FURLs.clear();
}

void TBookmarkImport::AddEntry(std::string key, std::string url) {
    if (FKeys.size() >= kMaxBookmarkEntries)
        throw EBookmarkImport(Format("More than %d bookmarks: too many for a menu", static_cast<int>(kMaxBookmarkEntries)));
    FKeys.push_back(std::move(key));
    FURLs.push_back(std::move(url));
}

// Each level looks only at the keys below its own path: a key is met once
// per folder above it, not once per folder of the whole tree, so a large
// collection builds in time proportional to its size.
void TBookmarkImport::BuildMenu() {
    if (!MenuItem) return;
    std::vector<size_t> all;
    all.reserve(FKeys.size());
    for (size_t i = 0; i < FKeys.size(); ++i)
        if (!FKeys[i].empty() && FKeys[i][0] == '/') all.push_back(i);
    size_t counter = 0;
    BuildLevel(MenuItem, all, 1, counter);
}

void TBookmarkImport::Advance(size_t& counter) {
    ++counter;
    if (OnPercentDone && !FKeys.empty())
        OnPercentDone(static_cast<int>(std::lround(static_cast<double>(counter) * 100.0 / static_cast<double>(FKeys.size()))));
}

void TBookmarkImport::BuildLevel(IBookmarkMenu* menu, const std::vector<size_t>& keys, size_t pathLength,
                                 size_t& counter) {
    // Folders first, in the order they first appear; then the bookmarks.
    std::vector<std::string> names;
    std::map<std::string, std::vector<size_t>> below;
    std::vector<size_t> bookmarks;
    for (size_t index : keys) {
        const std::string& key = FKeys[index];
        const size_t slash = FirstSlashOutsideQuotes(key, pathLength);
        if (slash == std::string::npos) {
            // No folder below: a bookmark of this folder when it has the suffix.
            if (key.size() > pathLength && EndsWithText(key, FSuffix)) bookmarks.push_back(index);
            continue;
        }
        std::string name = key.substr(pathLength, slash - pathLength);
        auto [at, added] = below.try_emplace(name);
        if (added) names.push_back(name);
        // The folder's own key adds nothing below it.
        if (key.size() > slash + 1) at->second.push_back(index);
    }
    for (const std::string& name : names) {
        IBookmarkMenu* folder = menu->AddFolder(Shown(name), DirectoryIconIndex);
        Advance(counter);
        if (folder) BuildLevel(folder, below[name], pathLength + name.size() + 1, counter);
    }
    for (size_t index : bookmarks) {
        menu->AddBookmark(BookmarkCaption(FKeys[index].substr(pathLength), FSuffix), FURLs[index], FBrowserIconIndex);
        Advance(counter);
    }
}

} // namespace vorlin::app
