// TChromiumImport: the bookmarks Chromium and Google Chrome keep in a
// profile's "Bookmarks" file (JSON: "roots" with "bookmark_bar", "other"
// and "synced", folders holding "children", bookmarks a "url").
#pragma once

#include "app/bookmarks/BookmarkImport.h"

namespace vorlin::app {

class TChromiumImport : public TBookmarkImport {
public:
    // A missing file changes nothing. Throws EBookmarkImport when it is not
    // JSON, has no roots, is nested too deeply or too large.
    void Import() override;

    std::string FBookmarksFile;
};

} // namespace vorlin::app
