// The bookmark import's texts: its messages (block 1400-1409) and the tags
// of its controls (8000-8499: the menus under "Importierte Lesezeichen" and
// the settings pages of Firefox and Chromium; caption = tag, hint = tag + 1).
#pragma once

namespace vorlin::app {

enum TBookmarkText : int {
    btImportingNetscape = 1400,  // "Importiere Bookmarks (Netscape)"
    btImportingIE = 1401,        // "Importiere Favoriten (Internet Explorer)"
    btImportingFirefox = 1402,   // "Importiere Lesezeichen (Firefox)"
    btImportingChromium = 1403,  // "Importiere Lesezeichen (Chromium)"
    btProjectExists = 1404,      // "Ein Projekt mit dieser URL existiert bereits, ..."
};

enum TBookmarkTag : int {
    tgBookmarksMenu = 8000,       // "Importierte Lesezeichen"
    tgNetscapeMenu = 8002,
    tgIEMenu = 8004,
    tgFirefoxMenu = 8006,
    tgChromiumMenu = 8008,
    tgUpdateBookmarks = 8010,     // "Lesezeichen aktualisieren"
    tgUpdateFavorites = 8012,     // "Favoriten aktualisieren"
    tgUpdateFirefox = 8014,
    tgUpdateChromium = 8016,
    // Settings pages.
    tgFirefoxPage = 8100,
    tgChromiumPage = 8102,
    tgFirefoxSource = 8110,
    tgFirefoxProfile = 8112,
    tgFirefoxOther = 8114,
    tgFirefoxOtherBrowse = 8116,
    tgLoadFirefoxOnStartUp = 8118,
    tgChromiumSource = 8130,
    tgChromiumProfile = 8132,
    tgChromiumOther = 8134,
    tgChromiumOtherBrowse = 8136,
    tgLoadChromiumOnStartUp = 8138,
};

// Puts the built-in texts into the text table (once).
void AddBookmarkTexts();

} // namespace vorlin::app
