// TIEImport: a favourites tree, a directory of ".url" internet shortcuts
// (INI files whose [InternetShortcut] section holds URL=) in folders.
#pragma once

#include "app/bookmarks/BookmarkImport.h"

namespace vorlin::app {

class TIEImport : public TBookmarkImport {
public:
    // A missing directory yields no entries. Without any ".url" file there
    // is no icon and no item. Throws when the tree is nested too deeply or
    // holds too many entries.
    void Import() override;

    std::string FDirectory;
};

// The URL of an internet shortcut file; empty when it has none or can't be read.
std::string InternetShortcutURL(const std::string& path);

} // namespace vorlin::app
