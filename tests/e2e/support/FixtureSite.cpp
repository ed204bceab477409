#include "tests/e2e/support/FixtureSite.h"

#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace vorlin::test {
namespace {

void MakeDirs(const std::string& path) {
    for (size_t p = 1; p <= path.size(); ++p)
        if (p == path.size() || path[p] == '/') ::mkdir(path.substr(0, p).c_str(), 0755);
}

void Put(const std::string& root, const std::string& rel, const std::string& content) {
    std::string path = root + "/" + rel;
    MakeDirs(path.substr(0, path.find_last_of('/')));
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << content;
}

// A valid 1x1 GIF, padded to size with a comment extension's worth of bytes
// after the trailer (viewers ignore what follows it).
std::string Gif(size_t size = 0) {
    static const unsigned char kGif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF,
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
        0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    std::string g(reinterpret_cast<const char*>(kGif), sizeof kGif);
    for (size_t i = 0; g.size() < size; ++i) g += static_cast<char>('a' + i % 26);
    return g;
}

std::string Pdf(const std::string& title) {
    return "%PDF-1.4\n% " + title + "\n1 0 obj << /Type /Catalog >> endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n";
}

std::string BigFile() {
    std::string s;
    s.reserve(kFixtureBigFileSize);
    uint32_t x = 12345;
    while (static_cast<int64_t>(s.size()) < kFixtureBigFileSize) {
        x = x * 1103515245u + 12345u;
        s += static_cast<char>(x >> 24);
    }
    return s;
}

} // namespace

void WriteFixtureSite(const std::string& root, int port, const std::string& scheme) {
    const std::string p = std::to_string(port);
    Put(root, "index.html", R"(<html><head><title>Fixture site</title>
<link rel="stylesheet" href="css/site.css"></head>
<body background="img/bg.gif">
<h1>Fixture site</h1>
<ul>
<li><a href="about.html">About</a>
<li><a href="gallery/">Gallery</a>
<li><a href="frames.html">Frames</a>
<li><a href="iframes.html">Inline frames</a>
<li><a href="scripts.html">Scripts</a>
<li><a href="refresh.html">Refresh</a>
<li><a href="based/page.html">Base</a>
<li><a href="old.html">Moved page</a>
<li><a href="docs">Documents</a>
<li><a href="listing/">Listing</a>
<li><a href="private/secret.html">Private</a>
<li><a href="files/big.bin">Big file</a>
<li><a href="files/manual.pdf">Manual</a>
<li><a href="mailto:someone@example.invalid">Mail</a>
<li><a href="http://127.0.0.1:1/elsewhere.html">Outside</a>
</ul>
<img src="img/logo.gif" alt="logo"><img src="img/missing.gif" alt="missing">
<img src='img/large.gif'>
</body></html>
)");
    Put(root, "about.html", R"(<html><body><h1>About</h1>
<p>Back to <a href="index.html#top">the start</a>, or see the <a href="files/report.pdf">report</a>.</p>
<img src="img/logo.gif">
</body></html>
)");
    Put(root, "gallery/index.html", R"(<html><body>
<table background="tile.gif"><tr><td><img src="photo1.gif"><img src="../img/logo.gif"></td></tr></table>
<a href="../index.html">home</a>
</body></html>
)");
    Put(root, "frames.html", R"(<html><frameset cols="50%,50%">
<frame src="frame-left.html"><frame src='frame-right.html'>
</frameset></html>
)");
    Put(root, "frame-left.html", "<html><body>left <a href=\"frame-right.html\">right</a></body></html>\n");
    Put(root, "frame-right.html", "<html><body>right</body></html>\n");
    Put(root, "iframes.html", "<html><body><iframe src=\"inner.html\"></iframe></body></html>\n");
    Put(root, "inner.html", "<html><body>inner</body></html>\n");
    Put(root, "scripts.html", R"(<html><head>
<script language="JavaScript"><!--
var roll = new Image();
roll.src = 'img/roll.gif';
// --></script>
<script src="js/app.js"></script>
</head><body>scripts</body></html>
)");
    Put(root, "js/app.js", "var pre = new Image();\npre.src = \"/img/pre.gif\";\n");
    Put(root, "refresh.html",
        "<html><head><meta http-equiv=\"Refresh\" content=\"0; URL=refreshed.html\"></head>"
        "<body>moving</body></html>\n");
    Put(root, "refreshed.html", "<html><body>refreshed</body></html>\n");
    Put(root, "based/page.html", "<html><head><base href=\"" + scheme + "://127.0.0.1:" + p +
                                     "/based/inner/\"></head><body><a href=\"target.html\">t</a>"
                                     "<img src=\"pic.gif\"></body></html>\n");
    Put(root, "based/inner/target.html", "<html><body>target</body></html>\n");
    Put(root, "new.html", "<html><body>the moved page</body></html>\n");
    Put(root, "docs/index.html", "<html><body><a href=\"guide.html\">guide</a></body></html>\n");
    Put(root, "docs/guide.html", "<html><body>guide</body></html>\n");
    Put(root, "listing/a.txt", "alpha\n");
    Put(root, "listing/b.txt", "beta\n");
    Put(root, "private/secret.html", "<html><body>secret <img src=\"key.gif\"></body></html>\n");
    Put(root, "private/key.gif", Gif());
    Put(root, "files/big.bin", BigFile());
    Put(root, "files/manual.pdf", Pdf("manual"));
    Put(root, "files/report.pdf", Pdf("report"));
    for (const char* g : {"img/logo.gif", "img/bg.gif", "img/roll.gif", "img/pre.gif", "gallery/photo1.gif",
                          "gallery/tile.gif", "based/inner/pic.gif", "img/css-bg.gif", "img/print.gif"})
        Put(root, g, Gif());
    Put(root, "img/large.gif", Gif(20 * 1024));
    Put(root, "css/site.css", R"(@import url("print.css");
body { background: url(../img/css-bg.gif) repeat; }
@font-face { font-family: Fixture; src: url('../fonts/fixture.woff') format("woff"); }
)");
    Put(root, "css/print.css", "h1 { background-image: url(\"/img/print.gif\"); }\n");
    Put(root, "fonts/fixture.woff", "wOFF-fixture-font");
    Put(root, ".htpasswd", std::string(kFixtureUser) + ":{PLAIN}" + kFixturePassword + "\n");
}

std::string FixtureServerConfig(const std::string& root) {
    return "    location = /old.html { return 301 /new.html; }\n"
           "    location /listing/ { autoindex on; }\n"
           "    location /private/ { auth_basic \"Fixture Area\"; auth_basic_user_file " +
           root + "/.htpasswd; }\n"
                  "    location = /.htpasswd { deny all; }\n";
}

std::vector<std::string> FixtureExpectedFiles() {
    return {"index.html",         "about.html",          "gallery/index.html", "frames.html",
            "frame-left.html",    "frame-right.html",    "iframes.html",       "inner.html",
            "scripts.html",       "js/app.js",           "refresh.html",       "refreshed.html",
            "based/page.html",    "based/inner/target.html", "new.html",       "docs/index.html",
            "docs/guide.html",    "files/big.bin",       "files/manual.pdf",   "files/report.pdf",
            "img/logo.gif",       "img/bg.gif",          "img/roll.gif",       "img/pre.gif",
            "img/large.gif",      "gallery/photo1.gif",  "gallery/tile.gif",   "based/inner/pic.gif",
            "old.html",           "css/site.css",        "listing/index.html", "listing/a.txt",
            "listing/b.txt",      "private/secret.html", "private/key.gif"};
}

} // namespace vorlin::test
