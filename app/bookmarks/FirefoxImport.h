// TFirefoxImport: the bookmarks Firefox keeps in a profile's
// "places.sqlite". The browser may be running and holds the database, so
// the file and its write-ahead log ("-wal", which holds the latest changes)
// are copied to a private temporary folder and the copy is read.
#pragma once

#include "app/bookmarks/BookmarkImport.h"

namespace vorlin::app {

class TFirefoxImport : public TBookmarkImport {
public:
    // A missing database changes nothing. Throws EBookmarkImport when it
    // can't be read (damaged, not a database, not Firefox's).
    void Import() override;

    std::string FPlacesFile;

private:
    void ReadDatabase(const std::string& path);
};

} // namespace vorlin::app
