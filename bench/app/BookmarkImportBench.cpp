// The bookmark import with a large collection: a Netscape-format file of
// N bookmarks in folders of 100 (and a Chromium file of the same) is read
// into the key and URL lists alone, then into the real Qt menus as the
// window builds them. Prints the time of each and the memory taken.
#include "app/BookmarkMenus.h"
#include "app/bookmarks/ChromiumImport.h"
#include "app/bookmarks/NetscapeImport.h"
#include "project/ProgramSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

using namespace vorlin;
using namespace vorlin::app;

namespace {

long ResidentKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir dir;
    const std::string netscape = dir.path().toStdString() + "/bookmarks.html";
    const std::string chromium = dir.path().toStdString() + "/Bookmarks";
    std::string html = "<DL><p>\n", json = "{\"roots\": {\"other\": {\"name\": \"Other\", \"children\": [";
    for (int i = 0; i < count; ++i) {
        const std::string url = "http://site" + std::to_string(i / 100) + ".example/page/" + std::to_string(i) + ".html";
        if (i % 100 == 0) {
            html += (i ? "</DL><p>\n" : "") + std::string("<DT><H3>Folder ") + std::to_string(i / 100) + "</H3>\n<DL><p>\n";
            json += std::string(i ? "]}," : "") + "{\"type\": \"folder\", \"name\": \"Folder " + std::to_string(i / 100) + "\", \"children\": [";
        } else {
            json += ",";
        }
        html += "<DT><A HREF=\"" + url + "\" ADD_DATE=\"1700000000\">Page " + std::to_string(i) + " &amp; more</A>\n";
        json += "{\"type\": \"url\", \"name\": \"Page " + std::to_string(i) + "\", \"url\": \"" + url + "\"}";
    }
    html += "</DL><p>\n</DL>\n";
    json += "]}]}}}";
    Write(netscape, html);
    Write(chromium, json);

    const long before = ResidentKB();
    QElapsedTimer timer;
    timer.start();
    TNetscapeImport lists;
    lists.FBookMarkFile = netscape;
    lists.Import();
    const qint64 listsMs = timer.elapsed();
    timer.restart();
    TChromiumImport jsonLists;
    jsonLists.FBookmarksFile = chromium;
    jsonLists.Import();
    const qint64 jsonMs = timer.elapsed();

    QMenu top;
    TBookmarkMenus menus(&top, nullptr);
    TProgramSettings settings;
    settings.BookmUserSelect = settings.BookmNetscpDir = false;
    settings.BookmOtherFile = netscape;
    const long beforeMenus = ResidentKB();
    timer.restart();
    menus.Import(TBookmarkSource::bsNetscape, settings, TBrowserHome{});
    const qint64 menusMs = timer.elapsed();
    const long menusKB = ResidentKB() - beforeMenus;
    std::printf("%d bookmarks (%.1f MB file): Netscape lists %lld ms, Chromium lists %lld ms, "
                "Qt menus %lld ms, menus take %ld KB (%.0f bytes a bookmark), lists %ld KB\n",
                count, static_cast<double>(html.size()) / (1024 * 1024), static_cast<long long>(listsMs),
                static_cast<long long>(jsonMs), static_cast<long long>(menusMs), menusKB,
                1024.0 * static_cast<double>(menusKB) / count, beforeMenus - before);
    return 0;
}
