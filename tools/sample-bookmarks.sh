#!/usr/bin/env bash
# A made-up home with the bookmarks of every browser the bookmark import
# reads: a Firefox profile (places.sqlite and its bookmarks.html export), a
# Chromium profile, and a favourites folder of ".url" shortcuts.
#   tools/sample-bookmarks.sh HOME_DIR
set -euo pipefail
home="$1"
profile="$home/.mozilla/firefox/sample.default-release"
mkdir -p "$profile" "$home/.config/chromium/Default" "$home/Favorites/Nachrichten/Lokal" "$home/Favorites/Software"
cat >"$home/.mozilla/firefox/profiles.ini" <<'INI'
[Profile0]
Name=default-release
IsRelative=1
Path=sample.default-release
Default=1

[General]
Version=2
INI
cat >"$profile/bookmarks.html" <<'HTML'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>
<DL><p>
    <DT><H3>Nachrichten</H3>
    <DL><p>
        <DT><H3>Lokal</H3>
        <DL><p>
            <DT><A HREF="http://www.example.org/stadt/">Stadt &amp; Land</A>
            <DT><A HREF="http://www.example.org/wetter/">Wetter</A>
        </DL><p>
        <DT><A HREF="http://news.example.com/">Tagesnachrichten</A>
        <DT><A HREF="http://www.example.net/a/b">Berichte 2026/12</A>
    </DL><p>
    <DT><H3>Software</H3>
    <DL><p>
        <DT><A HREF="https://www.debian.org/">Debian</A>
        <DT><A HREF="https://www.qt.io/">Qt</A>
    </DL><p>
    <DT><A HREF="http://www.example.com/">Beispielseite</A>
</DL><p>
HTML
python3 - "$profile/places.sqlite" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.executescript("""
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,
    parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT);
INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________');
INSERT INTO moz_bookmarks VALUES (2, 2, NULL, 1, 0, 'menu', 'menu________');
INSERT INTO moz_bookmarks VALUES (3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____');
INSERT INTO moz_bookmarks VALUES (4, 2, NULL, 1, 2, 'tags', 'tags________');
INSERT INTO moz_bookmarks VALUES (5, 2, NULL, 1, 3, 'unfiled', 'unfiled_____');
INSERT INTO moz_places VALUES (1, 'https://www.mozilla.org/', ''), (2, 'https://developer.mozilla.org/', ''),
    (3, 'http://www.example.org/rezepte/', ''), (4, 'http://www.example.org/garten/', '');
INSERT INTO moz_bookmarks VALUES (10, 2, NULL, 2, 0, 'Hobby', 'h1');
INSERT INTO moz_bookmarks VALUES (11, 1, 3, 10, 0, 'Rezepte', 'h2');
INSERT INTO moz_bookmarks VALUES (12, 1, 4, 10, 1, 'Garten', 'h3');
INSERT INTO moz_bookmarks VALUES (13, 1, 1, 2, 1, 'Mozilla', 'h4');
INSERT INTO moz_bookmarks VALUES (14, 1, 2, 3, 0, 'MDN Web Docs', 'h5');
""")
db.commit()
PY
cat >"$home/.config/chromium/Default/Bookmarks" <<'JSON'
{"version": 1, "roots": {
  "bookmark_bar": {"type": "folder", "name": "Lesezeichenleiste", "children": [
    {"type": "folder", "name": "Reisen", "children": [
      {"type": "url", "name": "Fahrplan", "url": "http://www.example.org/fahrplan/"},
      {"type": "url", "name": "Karten", "url": "http://www.example.org/karten/"}]},
    {"type": "url", "name": "Chromium", "url": "https://www.chromium.org/"}]},
  "other": {"type": "folder", "name": "Weitere Lesezeichen", "children": [
    {"type": "url", "name": "Archiv", "url": "http://www.example.org/archiv/"}]},
  "synced": {"type": "folder", "name": "Mobile Lesezeichen", "children": []}}}
JSON
url() { printf '[InternetShortcut]\r\nURL=%s\r\n' "$2" >"$home/Favorites/$1.url"; }
url "Beispiel" "http://www.example.com/"
url "Nachrichten/Tagesnachrichten" "http://news.example.com/"
url "Nachrichten/Lokal/Wetter" "http://www.example.org/wetter/"
url "Software/Debian" "https://www.debian.org/"
printf '[.ShellClassInfo]\r\n' >"$home/Favorites/Software/desktop.ini"
