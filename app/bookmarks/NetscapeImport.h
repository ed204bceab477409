// TNetscapeImport: the bookmarks of a Netscape-format bookmark file (what
// browsers export as "bookmarks.html"): folders are <DT><H3>, bookmarks
// <DT><A HREF=...>, each folder's list ends with </DL>.
#pragma once

#include "app/bookmarks/BookmarkImport.h"

namespace vorlin::app {

class TNetscapeImport : public TBookmarkImport {
public:
    // A missing file changes nothing. Throws the tag reader's messages on a
    // malformed file, and when the file is too large or nested too deeply.
    void Import() override;
    // The same on the text of a bookmark file.
    void ImportText(const std::string& text);

    std::string FBookMarkFile;
    // The browser's installation directory (its program's icon); nothing
    // answers it on this platform.
    std::string FInstallDirectory;

private:
    void Parse(const std::string& text);
};

// The whole file, refusing one larger than kMaxBookmarkFileSize.
std::string ReadBookmarkFile(const std::string& path);

} // namespace vorlin::app
