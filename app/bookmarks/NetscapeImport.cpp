#include "app/bookmarks/NetscapeImport.h"

#include "app/bookmarks/HtmlTagReader.h"
#include "links/CharacterReferences.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"

#include <fstream>
#include <sstream>

namespace vorlin::app {

std::string ReadBookmarkFile(const std::string& path) {
    const int64_t size = FileSizeOf(path);
    if (size > kMaxBookmarkFileSize)
        throw EBookmarkImport(Format("The bookmark file \"%s\" is larger than %d MB", path,
                                     static_cast<int>(kMaxBookmarkFileSize / (1024 * 1024))));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EBookmarkImport(Format("The bookmark file \"%s\" can not be read", path));
    std::string text;
    text.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

void TNetscapeImport::Import() {
    if (FBookMarkFile.empty() || !FileExists(FBookMarkFile)) return;
    ImportText(ReadBookmarkFile(FBookMarkFile));
}

void TNetscapeImport::ImportText(const std::string& text) {
    ClearLists();
    if (FBrowserIconIndex == -1 && ImageList)
        FBrowserIconIndex = ImageList->AddAssociatedIcon(FInstallDirectory + "/program/Netscape.exe");
    Parse(text);
    FSuffix.clear();
    BuildMenu();
}

// Folders are kept on a stack of prefixes instead of recursing, so a file
// nested ten thousand deep ends in a clear error, not a stack overflow.
void TNetscapeImport::Parse(const std::string& text) {
    THtmlTagReader reader(text);
    std::vector<std::string> prefixes{"/"};
    while (!prefixes.empty()) {
        const std::string tag = reader.NextTag();
        if (tag == "/DL") {
            prefixes.pop_back();
            continue;
        }
        if (tag != "DT") continue;
        const std::string item = reader.NextTag();
        // Titles are stored with their character references, the way the
        // browser writes them; a double quote stays one, as the keys quote titles.
        const std::string title = ReplaceAll(DecodeCharacterReferences(reader.TextUpToNextTag()), "\"", "&quot;");
        if (item.compare(0, 2, "H3") == 0) {
            if (prefixes.size() > kMaxBookmarkFolderDepth)
                throw EBookmarkImport(Format("Bookmark folders are nested deeper than %d levels",
                                             static_cast<int>(kMaxBookmarkFolderDepth)));
            std::string key = prefixes.back() + title + "/";
            AddEntry(key, std::string());
            prefixes.push_back(std::move(key));
        } else {
            AddEntry(prefixes.back() + "\"" + title + "\"", DecodeCharacterReferences(TagAttribute(item, "href")));
        }
    }
}

} // namespace vorlin::app
