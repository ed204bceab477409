#include "app/texts/BookmarkTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddBookmarkTexts() {
    static std::once_flag once;
    std::call_once(once, [] {
        AddBuiltinTexts({
            {btImportingNetscape, "Importiere Bookmarks (Netscape)"},
            {btImportingIE, "Importiere Favoriten (Internet Explorer)"},
            {btImportingFirefox, "Importiere Lesezeichen (Firefox)"},
            {btImportingChromium, "Importiere Lesezeichen (Chromium)"},
            {btProjectExists, "Ein Projekt mit dieser URL existiert bereits, wollen sie es im Browser starten?"},
            {tgBookmarksMenu, "Importierte &Lesezeichen"},
            {tgNetscapeMenu, "Netscape Navigator"},
            {tgIEMenu, "Internet Explorer"},
            {tgFirefoxMenu, "Firefox"},
            {tgChromiumMenu, "Chromium"},
            {tgUpdateBookmarks, "Lesezeichen aktualisieren"},
            {tgUpdateFavorites, "Favoriten aktualisieren"},
            {tgUpdateFirefox, "Lesezeichen aktualisieren"},
            {tgUpdateChromium, "Lesezeichen aktualisieren"},
            {tgFirefoxPage, "Firefox"},
            {tgChromiumPage, "Chromium / Chrome"},
            {tgFirefoxSource, "Lesezeichen aus"},
            {tgFirefoxProfile, "Profil:"},
            {tgFirefoxOther, "Anderer Profilordner oder places.sqlite:"},
            {tgFirefoxOtherBrowse, "..."},
            {tgLoadFirefoxOnStartUp, "Lesezeichen beim Programmstart laden"},
            {tgChromiumSource, "Lesezeichen aus"},
            {tgChromiumProfile, "Profil:"},
            {tgChromiumOther, "Anderer Profilordner oder Bookmarks-Datei:"},
            {tgChromiumOtherBrowse, "..."},
            {tgLoadChromiumOnStartUp, "Lesezeichen beim Programmstart laden"},
        });
    });
}

} // namespace vorlin::app
