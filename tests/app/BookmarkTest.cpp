// The bookmark import: the readers of Netscape files, favourites trees,
// Firefox's places.sqlite (with its write-ahead log) and Chromium's
// Bookmarks on files made here, hostile ones among them; the menu building;
// where the sources are found in a made-up home; and through the window,
// the menus, the update actions and a chosen bookmark making its project.
#include "app/BookmarkMenus.h"
#include "app/ProjectTreeModel.h"
#include "app/bookmarks/BookmarkSources.h"
#include "app/bookmarks/ChromiumImport.h"
#include "app/bookmarks/FirefoxImport.h"
#include "app/bookmarks/IEImport.h"
#include "app/bookmarks/NetscapeImport.h"
#include "app/dialogs/SettingsBrowserPages.h"
#include "app/dialogs/SettingsForm.h"
#include "app/texts/BookmarkTexts.h"
#include "platform/DebugLog.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "tests/app/WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sqlite3.h>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TWindowFixture;

class BookmarkTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void NetscapeFoldersTitlesAndEntities();
    void NetscapeMalformedAndHostileFiles();
    void FavouritesTree();
    void FirefoxPlaces();
    void FirefoxProfileWithWriteAheadLog();
    void ChromiumBookmarks();
    void ChromiumHostileFiles();
    void SourcesInAHome();
    void SettingsPagesOfTheBrowsers();
    void WindowMenusAndChosenBookmarks();
    void WindowReportsBrokenFiles();

private:
    QTemporaryDir FDir;
    std::string Path(const std::string& name) const { return FDir.path().toStdString() + "/" + name; }
};

namespace {

// The menu as text: "+Folder" lines and "Caption=URL" lines, indented by level.
class TRecordingMenu : public IBookmarkMenu {
public:
    explicit TRecordingMenu(std::string& out, int level = 0) : FOut(out), FLevel(level) {}
    IBookmarkMenu* AddFolder(const std::string& caption, int) override {
        FOut += std::string(static_cast<size_t>(FLevel) * 2, ' ') + "+" + caption + "\n";
        FChildren.push_back(std::make_unique<TRecordingMenu>(FOut, FLevel + 1));
        return FChildren.back().get();
    }
    void AddBookmark(const std::string& caption, const std::string& url, int) override {
        FOut += std::string(static_cast<size_t>(FLevel) * 2, ' ') + caption + "=" + url + "\n";
    }

private:
    std::string& FOut;
    int FLevel;
    std::vector<std::unique_ptr<TRecordingMenu>> FChildren;
};

class TFakeIcons : public IBookmarkImageList {
public:
    std::vector<std::string> Asked;
    int AddAssociatedIcon(const std::string& path) override {
        Asked.push_back(path);
        return path.empty() ? -1 : static_cast<int>(Asked.size());
    }
};

void WriteText(const std::string& path, const std::string& text) {
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    std::ofstream(path, std::ios::binary) << text;
}

// Runs a reader into a recorded menu; the menu's text, or "error: <message>".
std::string Menu(TBookmarkImport& reader) {
    std::string out;
    TRecordingMenu menu(out);
    TFakeIcons icons;
    reader.MenuItem = &menu;
    reader.ImageList = &icons;
    try {
        reader.Import();
    } catch (const EBookmarkImport& e) {
        out = std::string("error: ") + e.what();
    }
    reader.MenuItem = nullptr;
    reader.ImageList = nullptr;
    return out;
}

std::string NetscapeMenu(const std::string& path, const std::string& text) {
    WriteText(path, text);
    TNetscapeImport reader;
    reader.FBookMarkFile = path;
    return Menu(reader);
}

const char* const kNetscapeFile = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten. <DL> -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>
<DL><p>
    <DT><A HREF="http://top.example/" ADD_DATE="1">Top</A>
    <DT><H3 ADD_DATE="2">News</H3>
    <DL><p>
        <DT><H3>Local</H3>
        <DL><p>
            <DT><A href='http://local.example/?a=1&amp;b=2'>Town &amp; Country</A>
        </DL><p>
        <DT><A HREF="http://daily.example/">Daily/Weekly</A>
    </DL><p>
    <DT><A HREF="http://quote.example/">Say &quot;hi&quot;</A>
</DL><p>
)";

// A places.sqlite as Firefox lays it out: the root, its four folders and
// the tags folder, bookmarks pointing into moz_places.
void CreatePlaces(sqlite3* db) {
    const char* sql = R"(
        CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);
        CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,
            parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT);
        INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________');
        INSERT INTO moz_bookmarks VALUES (2, 2, NULL, 1, 0, 'menu', 'menu________');
        INSERT INTO moz_bookmarks VALUES (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____');
        INSERT INTO moz_bookmarks VALUES (4, 2, NULL, 1, 2, 'tags', 'tags________');
        INSERT INTO moz_bookmarks VALUES (5, 2, NULL, 1, 3, 'unfiled', 'unfiled_____');
        INSERT INTO moz_places VALUES (1, 'https://menu.example/', 'x');
        INSERT INTO moz_places VALUES (2, 'http://bar.example/', 'x');
        INSERT INTO moz_places VALUES (3, 'javascript:alert(1)', 'x');
        INSERT INTO moz_places VALUES (4, 'http://tagged.example/', 'x');
        INSERT INTO moz_bookmarks VALUES (10, 1, 1, 2, 0, 'On the menu', 'a1');
        INSERT INTO moz_bookmarks VALUES (11, 2, NULL, 3, 0, 'Work/Play', 'a2');
        INSERT INTO moz_bookmarks VALUES (12, 1, 2, 11, 1, '', 'a3');
        INSERT INTO moz_bookmarks VALUES (13, 3, NULL, 11, 0, '', 'a4');
        INSERT INTO moz_bookmarks VALUES (14, 1, 3, 3, 1, 'Bookmarklet', 'a5');
        INSERT INTO moz_bookmarks VALUES (15, 2, NULL, 4, 0, 'sometag', 'a6');
        INSERT INTO moz_bookmarks VALUES (16, 1, 4, 15, 0, 'Tagged', 'a7');
    )";
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
}

std::string FirefoxMenu(const std::string& path) {
    TFirefoxImport reader;
    reader.FPlacesFile = path;
    return Menu(reader);
}

std::string ChromiumMenu(const std::string& path, const std::string& json) {
    WriteText(path, json);
    TChromiumImport reader;
    reader.FBookmarksFile = path;
    return Menu(reader);
}

const char* const kChromiumFile = R"json({"checksum": "x", "version": 1, "roots": {
  "bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
     {"type": "url", "name": "Bar", "url": "https://bar.example/"},
     {"type": "folder", "name": "Deep", "children": [
        {"type": "url", "name": "", "url": "http://untitled.example/"},
        {"type": "url", "name": "Script", "url": "javascript:void(0)"},
        {"type": 7, "name": ["wrong"], "url": 3},
        "not an object"]}]},
  "other": {"type": "folder", "name": "Other bookmarks", "children": [
     {"type": "url", "name": "Say \"hi\"/there", "url": "http://other.example/"}]},
  "synced": {"type": "folder", "name": "Mobile bookmarks", "children": []}}})json";

std::string Nested(const std::string& open, const std::string& close, int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += open;
    for (int i = 0; i < levels; ++i) text += close;
    return text;
}

} // namespace


void BookmarkTest::initTestCase() {
    // Nothing of the real user's browsers is read here.
    qputenv("HOME", QByteArray::fromStdString(Path("nobody")));
    qunsetenv("XDG_CONFIG_HOME");
}

void BookmarkTest::NetscapeFoldersTitlesAndEntities() {
    // Two folders deep cascade; a top-level bookmark lands in the top menu;
    // "/" in a title keeps one item; entities show as text.
    QCOMPARE(NetscapeMenu(Path("ns/bookmarks.html"), kNetscapeFile),
             std::string("+News\n"
                         "  +Local\n"
                         "    Town & Country=http://local.example/?a=1&b=2\n"
                         "  Daily/Weekly=http://daily.example/\n"
                         "Top=http://top.example/\n"
                         "Say \"hi\"=http://quote.example/\n"));
    TNetscapeImport reader;
    reader.FBookMarkFile = Path("ns/bookmarks.html");
    Menu(reader);
    QCOMPARE(reader.Keys().size(), size_t(6));
    QCOMPARE(reader.Keys()[0], std::string("/\"Top\""));
    QCOMPARE(reader.Keys()[2], std::string("/News/Local/"));
    QCOMPARE(reader.URLs()[2], std::string());
    QCOMPARE(reader.Keys()[4], std::string("/News/\"Daily/Weekly\""));
    // A missing file changes nothing: the lists of the last import stay.
    reader.FBookMarkFile = Path("ns/none.html");
    QCOMPARE(Menu(reader), std::string());
    QCOMPARE(reader.Keys().size(), size_t(6));
    // Folders of the same name in another case stay apart.
    QCOMPARE(NetscapeMenu(Path("ns/case.html"), "<DL><DT><H3>a</H3><DL><DT><A HREF=\"http://1/\">one</A></DL>"
                                                "<DT><H3>A</H3><DL><DT><A HREF=\"http://2/\">two</A></DL></DL>"),
             std::string("+a\n  one=http://1/\n+A\n  two=http://2/\n"));
}

void BookmarkTest::NetscapeMalformedAndHostileFiles() {
    QCOMPARE(NetscapeMenu(Path("bad/open.html"), "<DL><DT><A HREF=\"x\">x</A><DT"),
             std::string("error: Can not find next HTML-Tag"));
    QCOMPARE(NetscapeMenu(Path("bad/comment.html"), "<DL><!-- no end <DT>"),
             std::string("error: Can not find end of HTML-Remark"));
    // Ends without its list's end.
    QCOMPARE(NetscapeMenu(Path("bad/short.html"), "<DL><DT><A HREF=\"http://a/\">a</A>"),
             std::string("error: Can not find next HTML-Tag"));
    // Ten thousand folders deep: a clear error, no stack spent on it.
    const std::string deep = "<DL>" + Nested("<DT><H3>f</H3><DL>", "</DL>", 10000) + "</DL>";
    QVERIFY(NetscapeMenu(Path("bad/deep.html"), deep).find("error: Bookmark folders are nested deeper") == 0);
    // Binary junk.
    std::string junk(1 << 20, '\0');
    uint32_t seed = 7;
    for (char& c : junk) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    const std::string junkMenu = NetscapeMenu(Path("bad/junk.html"), junk);
    QVERIFY2(junkMenu.empty() || junkMenu.find("error: ") == 0, junkMenu.c_str());
    // 50 MB of bookmarks: refused once there are more than a menu can show.
    std::string big;
    const std::string line = "<DT><A HREF=\"http://big.example/a/long/path/of/a/page.html\">A title of a page</A>\n";
    big.reserve(50u << 20);
    while (big.size() < (50u << 20)) big += line;
    QVERIFY(NetscapeMenu(Path("bad/big.html"), "<DL>" + big).find("error: More than 50000 bookmarks") == 0);
}

void BookmarkTest::FavouritesTree() {
    const std::string root = Path("fav/");
    WriteText(root + "Daily.url", "[InternetShortcut]\r\nURL=http://daily.example/\r\n");
    WriteText(root + "News/Local/Town.URL", "[DEFAULT]\nBASEURL=x\n[InternetShortcut]\nURL=http://town.example/\n");
    WriteText(root + "News/desktop.ini", "[.ShellClassInfo]\n");
    WriteText(root + "News/Broken.url", "no ini at all");
    QDir().mkpath(QString::fromStdString(root + "Empty"));
    // A link back up the tree is not followed.
    QVERIFY(QFile::link(QString::fromStdString(root), QString::fromStdString(root + "News/Loop")));
    TIEImport reader;
    reader.FDirectory = Path("fav");
    QCOMPARE(Menu(reader), std::string("+Empty\n"
                                       "+News\n"
                                       "  +Local\n"
                                       "    Town=http://town.example/\n"
                                       "  Broken=\n"
                                       "Daily=http://daily.example/\n"));
    QCOMPARE(reader.Suffix(), std::string(".url"));
    QCOMPARE(reader.Keys()[2], std::string("/News/"));

    // No ".url" file anywhere: no items at all, folders neither.
    WriteText(Path("nofav/Folder/readme.txt"), "x");
    TIEImport none;
    none.FDirectory = Path("nofav");
    QCOMPARE(Menu(none), std::string());
    // A missing folder: nothing.
    none.FDirectory = Path("missing");
    QCOMPARE(Menu(none), std::string());
}

void BookmarkTest::FirefoxPlaces() {
    const std::string path = Path("ff/places.sqlite");
    QDir().mkpath(QString::fromStdString(Path("ff")));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    CreatePlaces(db);
    sqlite3_close(db);
    // The menu's contents at the top, the toolbar as a folder, the tags
    // and a bookmarklet left out, an untitled bookmark shown by its URL.
    QCOMPARE(FirefoxMenu(path), std::string("+Bookmarks Toolbar\n"
                                            "  +Work\u2215Play\n"
                                            "    http://bar.example/=http://bar.example/\n"
                                            "On the menu=https://menu.example/\n"));
    // Damaged databases: a clear error.
    WriteText(Path("ff/junk.sqlite"), std::string(8192, 'x'));
    QVERIFY(FirefoxMenu(Path("ff/junk.sqlite")).find("error: The bookmark database") == 0);
    WriteText(Path("ff/empty.sqlite"), "");
    QVERIFY(FirefoxMenu(Path("ff/empty.sqlite")).find("error: The bookmark database") == 0);
    QCOMPARE(FirefoxMenu(Path("ff/none.sqlite")), std::string());
}

void BookmarkTest::FirefoxProfileWithWriteAheadLog() {
    // A profile as the browser leaves it while it runs: the latest bookmark
    // is only in "places.sqlite-wal".
    const std::string home = Path("ffhome/");
    const std::string profile = home + ".mozilla/firefox/abcd.default-release/";
    WriteText(home + ".mozilla/firefox/profiles.ini",
              "[Profile1]\nName=old\nIsRelative=1\nPath=efgh.old\nDefault=1\n\n"
              "[Profile0]\nName=default-release\nIsRelative=1\nPath=abcd.default-release\n\n"
              "[Install4F96D1932A9F858E]\nDefault=abcd.default-release\nLocked=1\n\n[General]\nVersion=2\n");
    const std::string running = Path("ffrunning/places.sqlite");
    QDir().mkpath(QString::fromStdString(Path("ffrunning")));
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(running.c_str(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr), SQLITE_OK);
    CreatePlaces(db);
    QCOMPARE(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE);"
                              "INSERT INTO moz_places VALUES (9, 'https://latest.example/', 'x');"
                              "INSERT INTO moz_bookmarks VALUES (90, 1, 9, 2, 5, 'Latest', 'z1');",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QDir().mkpath(QString::fromStdString(profile));
    QVERIFY(QFile::copy(QString::fromStdString(running), QString::fromStdString(profile + "places.sqlite")));
    QVERIFY(QFile::copy(QString::fromStdString(running + "-wal"), QString::fromStdString(profile + "places.sqlite-wal")));
    sqlite3_close(db);

    TBrowserHome where{home, home + ".config/"};
    const std::vector<TBrowserProfile> profiles = FirefoxProfiles(where);
    QCOMPARE(profiles.size(), size_t(2));
    QCOMPARE(ChooseProfile(profiles, "")->Name, std::string("default-release"));
    TProgramSettings settings;
    QCOMPARE(FirefoxPlacesFile(settings, where), profile + "places.sqlite");
    const std::string menu = FirefoxMenu(profile + "places.sqlite");
    QVERIFY2(menu.find("Latest=https://latest.example/\n") != std::string::npos, menu.c_str());
    // The profile is left as it was: no copy, no shared-memory file.
    QVERIFY(!QFile::exists(QString::fromStdString(profile + "places.sqlite-shm")));
    QCOMPARE(QDir(QString::fromStdString(profile)).entryList(QDir::Files).size(), qsizetype(2));
}

void BookmarkTest::ChromiumBookmarks() {
    QCOMPARE(ChromiumMenu(Path("cr/Bookmarks"), kChromiumFile),
             std::string("+Bookmarks bar\n"
                         "  +Deep\n"
                         "    http://untitled.example/=http://untitled.example/\n"
                         "  Bar=https://bar.example/\n"
                         "+Other bookmarks\n"
                         "  Say \"hi\"/there=http://other.example/\n"));
    QVERIFY(ChromiumMenu(Path("cr/none"), "").find("error: The bookmark file \"" + Path("cr/none") +
                                                   "\" is not valid JSON: ") == 0);
}

void BookmarkTest::ChromiumHostileFiles() {
    QVERIFY(ChromiumMenu(Path("crh/a"), "{\"roots\": []}").find("error: The bookmark file") == 0);
    QVERIFY(ChromiumMenu(Path("crh/b"), "[1, 2]").find("(no \"roots\")") != std::string::npos);
    QCOMPARE(ChromiumMenu(Path("crh/c"), "{\"roots\": {\"bookmark_bar\": {\"children\": 5}, \"other\": 3}}"),
             std::string());
    const std::string deep = "{\"roots\": {\"other\": {\"children\": [" +
                             Nested("{\"type\": \"folder\", \"name\": \"f\", \"children\": [", "]}", 10000) + "]}}}";
    QVERIFY(ChromiumMenu(Path("crh/deep"), deep).find("error: Bookmark folders are nested deeper") == 0);
    QVERIFY(ChromiumMenu(Path("crh/arrays"), Nested("[", "]", 10000)).find("error: Bookmark folders are nested") == 0);
    QVERIFY(ChromiumMenu(Path("crh/junk"), std::string("\x01\xff{\"roots\"", 10)).find("error: ") == 0);
}

void BookmarkTest::SourcesInAHome() {
    const std::string home = Path("home/");
    TBrowserHome where{home, home + ".config/"};
    TProgramSettings settings;
    // Nothing installed: nothing to import, from any source.
    QCOMPARE(NetscapeBookmarkFile(settings, where), std::string());
    QCOMPARE(FavoritesDirectory(settings, where), std::string());
    QCOMPARE(ChromiumBookmarksFile(settings, where), std::string());
    WriteText(home + ".config/google-chrome/Profile 1/Bookmarks", "{}");
    WriteText(home + ".config/google-chrome/Default/Bookmarks", "{}");
    WriteText(home + ".config/google-chrome/System Profile/Bookmarks", "{}");
    WriteText(home + ".config/chromium/Default/Preferences", "{}");
    const std::vector<TBrowserProfile> chromium = ChromiumProfiles(where);
    QCOMPARE(chromium.size(), size_t(2));
    QCOMPARE(chromium[0].Name, std::string("Google Chrome: Default"));
    settings.ChromiumProfile = "Google Chrome: Profile 1";
    QCOMPARE(ChromiumBookmarksFile(settings, where), home + ".config/google-chrome/Profile 1/Bookmarks");
    settings.ChromiumOther = true;
    settings.ChromiumOtherFile = home + ".config/chromium/Default";
    QCOMPARE(ChromiumBookmarksFile(settings, where), home + ".config/chromium/Default/Bookmarks");

    QDir().mkpath(QString::fromStdString(home + "Favorites"));
    QCOMPARE(FavoritesDirectory(settings, where), home + "Favorites/");
    settings.FavStandard = false;
    settings.FavOtherDir = "/elsewhere";
    QCOMPARE(FavoritesDirectory(settings, where), std::string("/elsewhere"));

    // The other bookmark file: a file chosen is taken as it is, a folder
    // holds "bookmark.htm".
    settings.BookmUserSelect = settings.BookmNetscpDir = false;
    settings.BookmOtherFile = home + "saved.html";
    QCOMPARE(NetscapeBookmarkFile(settings, where), home + "saved.html/bookmark.htm");
    WriteText(home + "saved.html", "x");
    QCOMPARE(NetscapeBookmarkFile(settings, where), home + "saved.html");
    settings.BookmOtherFile = "/old/bookmark.htm";
    QCOMPARE(NetscapeBookmarkFile(settings, where), std::string("/old/bookmark.htm"));
    // The installation directory answers nothing.
    settings.BookmNetscpDir = true;
    QCOMPARE(NetscapeBookmarkFile(settings, where), std::string());
}

void BookmarkTest::SettingsPagesOfTheBrowsers() {
    TProgramSettings record;
    record.ChromiumProfile = "gone";
    record.FirefoxOther = true;
    record.FirefoxOtherFile = "/some/profile";
    TSettingsOffers offers;
    offers.BrowserUsers = {"default-release", "work"};
    offers.ChromiumProfiles = {"Chromium: Default", "Google Chrome: Default"};
    TSettingsForm form(record, offers);
    auto* firefox = form.findChild<QComboBox*>("cbFirefoxProfile");
    auto* chromium = form.findChild<QComboBox*>("cbChromiumProfile");
    QVERIFY(firefox && chromium);
    QVERIFY(!firefox->isEnabled());
    QVERIFY(form.findChild<QRadioButton*>("rbFirefoxOther")->isChecked());
    // A stored profile no longer offered falls back to the first one.
    QCOMPARE(chromium->currentText(), QString("Chromium: Default"));
    form.findChild<QRadioButton*>("rbFirefoxProfile")->setChecked(true);
    QVERIFY(firefox->isEnabled());
    firefox->setCurrentIndex(1);
    form.accept();
    QCOMPARE(form.Record().FirefoxProfile, std::string("work"));
    QVERIFY(!form.Record().FirefoxOther);
    QCOMPARE(form.Record().ChromiumProfile, std::string("Chromium: Default"));
    QCOMPARE(form.Record().FirefoxOtherFile, std::string("/some/profile"));
}

void BookmarkTest::WindowMenusAndChosenBookmarks() {
    TWindowFixture f;
    const std::string home = f.Home.Home() + "user/";
    const std::string profile = home + ".mozilla/firefox/p.default/";
    WriteText(home + ".mozilla/firefox/profiles.ini", "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\nDefault=1\n");
    WriteText(profile + "bookmarks.html", kNetscapeFile);
    WriteText(home + ".config/chromium/Default/Bookmarks", kChromiumFile);
    WriteText(home + "Favorites/Daily.url", "[InternetShortcut]\nURL=http://daily.example/\n");
    f.Home.WriteProject("/Templates/Site", "http://template.example/");
    qputenv("HOME", QByteArray::fromStdString(home));
    THttpGetForm& w = f.Open();
    qputenv("HOME", QByteArray::fromStdString(Path("nobody")));
    TBookmarkMenus& menus = w.Bookmarks();
    QMenu* netscape = menus.Menu(TBookmarkSource::bsNetscape);
    QCOMPARE(netscape->title(), QString("Netscape Navigator"));
    QCOMPARE(qobject_cast<QMenu*>(netscape->parent())->title(), QString("Importierte &Lesezeichen"));
    // Netscape is not imported at start-up by default: only its update
    // item and a separator; the other three are.
    QCOMPARE(netscape->actions().size(), qsizetype(2));
    QCOMPARE(netscape->actions()[0]->text(), QString("Lesezeichen aktualisieren"));
    QVERIFY(netscape->actions()[1]->isSeparator());
    QMenu* favourites = menus.Menu(TBookmarkSource::bsInternetExplorer);
    QCOMPARE(favourites->actions().size(), qsizetype(3));
    QCOMPARE(favourites->actions()[2]->text(), QString("Daily"));
    QCOMPARE(menus.Menu(TBookmarkSource::bsChromium)->actions().size(), qsizetype(4));
    QCOMPARE(menus.Menu(TBookmarkSource::bsFirefox)->actions().size(), qsizetype(2));

    // The update action: the status text while it runs, cleared after.
    std::vector<std::string> statuses;
    QCOMPARE(w.StatusText(0), std::string());
    menus.OnPercentDone = [&](int percent) { statuses.push_back(w.StatusText(0) + " " + std::to_string(percent)); };
    qputenv("HOME", QByteArray::fromStdString(home));
    menus.UpdateAction(TBookmarkSource::bsNetscape)->trigger();
    qputenv("HOME", QByteArray::fromStdString(Path("nobody")));
    QVERIFY(!statuses.empty());
    QCOMPARE(statuses.front(), std::string("Importiere Bookmarks (Netscape) 17"));
    QCOMPARE(statuses.back(), std::string("Importiere Bookmarks (Netscape) 100"));
    QCOMPARE(w.StatusText(0), std::string());
    QCOMPARE(w.OverallProgress(), 0);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    const QList<QAction*> items = netscape->actions();
    QCOMPARE(items.size(), qsizetype(5));
    QCOMPARE(items[2]->menu()->title(), QString("News"));
    QCOMPARE(items[4]->text(), QString("Say \"hi\""));
    QAction* town = items[2]->menu()->actions()[0]->menu()->actions()[0];
    QCOMPARE(town->text(), QString("Town && Country"));
    // A second import replaces the items, it doesn't add to them.
    qputenv("HOME", QByteArray::fromStdString(home));
    menus.UpdateAction(TBookmarkSource::bsNetscape)->trigger();
    qputenv("HOME", QByteArray::fromStdString(Path("nobody")));
    QCOMPARE(netscape->actions().size(), qsizetype(5));
    town = netscape->actions()[2]->menu()->actions()[0]->menu()->actions()[0];

    // Choosing a bookmark makes a project from a template, named after the
    // bookmark, in "Quick Projects".
    f.Dialogs.OnChooseTemplate = [](const std::vector<std::string>&, int& row) {
        row = 0;
        return TTemplateChoice::tcChosen;
    };
    f.Dialogs.Directories = {f.Home.Home() + "copies", f.Home.Home() + "copies"};
    town->trigger();
    TProjectNode* node = f.Node("/Quick Projects/Town & Country");
    QVERIFY(node && node->Project);
    QCOMPARE(node->Project->URL, std::string("http://local.example/?a=1&b=2"));
    QCOMPARE(w.SelectedNode(), node);
    QVERIFY(f.Home.Exists(f.Home.PathOf("/Quick Projects/Town & Country") + ".prj"));
    QVERIFY(f.Dialogs.Questions.empty());
    // Again: the question, and no second project whatever the answer.
    f.Dialogs.Answers = {TAnswer::anNo, TAnswer::anYes};
    town->trigger();
    town->trigger();
    QCOMPARE(f.Dialogs.Questions.size(), size_t(2));
    QCOMPARE(f.Dialogs.Questions[0],
             std::string("Ein Projekt mit dieser URL existiert bereits, wollen sie es im Browser starten?"));
    int projects = 0;
    w.Tree().ForEach([&](TProjectNode* each) { projects += each->Project && !w.Tree().IsUnderTemplates(each) ? 1 : 0; });
    QCOMPARE(projects, 1);
    // A "/" in the caption is cleaned for the file name.
    netscape->actions()[2]->menu()->actions()[1]->trigger();
    QVERIFY(f.Node("/Quick Projects/Daily_Weekly"));
    QVERIFY(f.Close());
}

void BookmarkTest::WindowReportsBrokenFiles() {
    std::vector<std::string> lines;
    TDebugLogSink previous = SetDebugLogSink([&](const std::string& line) { lines.push_back(line); });
    TWindowFixture f;
    const std::string home = f.Home.Home() + "user/";
    WriteText(home + ".config/chromium/Default/Bookmarks", "{ broken");
    WriteText(home + "Favorites/Daily.url", "[InternetShortcut]\nURL=http://daily.example/\n");
    qputenv("HOME", QByteArray::fromStdString(home));
    THttpGetForm& w = f.Open();
    // The start-up import of one source failing leaves the others.
    QVERIFY(std::find(lines.begin(), lines.end(), "Error importing Chromium bookmarks") != lines.end());
    QCOMPARE(w.Bookmarks().Menu(TBookmarkSource::bsInternetExplorer)->actions().size(), qsizetype(3));
    lines.clear();
    w.Settings().BookmUserSelect = w.Settings().BookmNetscpDir = false;
    w.Settings().BookmOtherFile = home + "bookmarks.html";
    WriteText(home + "bookmarks.html", "<DL><DT><A HREF=\"http://a/\">a</A><DT");
    w.Bookmarks().UpdateAction(TBookmarkSource::bsNetscape)->trigger();
    qputenv("HOME", QByteArray::fromStdString(Path("nobody")));
    QCOMPARE(lines.size(), size_t(2));
    QCOMPARE(lines[0], std::string("Error in UpdateBookMarks ()"));
    QCOMPARE(lines[1], std::string("Can not find next HTML-Tag"));
    QCOMPARE(w.Bookmarks().Menu(TBookmarkSource::bsNetscape)->actions().size(), qsizetype(2));
    QCOMPARE(w.StatusText(0), std::string());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    SetDebugLogSink(previous);
    QVERIFY(f.Close());
}

QTEST_MAIN(BookmarkTest)
#include "BookmarkTest.moc"
