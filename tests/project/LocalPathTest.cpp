#include "project/LocalPath.h"

#include "links/UrlHelpers.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorlin;

namespace {

// True when path, resolved lexically, lies below base.
bool Inside(const std::string& base, const std::string& path) {
    namespace fs = std::filesystem;
    std::string b = fs::path(base).lexically_normal().string();
    std::string p = fs::path(path).lexically_normal().string();
    if (!b.empty() && b.back() != '/') b += '/';
    return p.size() > b.size() && p.compare(0, b.size(), b) == 0 &&
           p.find('\0') == std::string::npos;
}

// The stored name a link of this URL would get, as the link parser makes it.
std::string StoredNameOf(const std::string& url) {
    size_t root = static_cast<size_t>(PosOfNth("/", url, 3));
    std::string server = AppendIfMissing(url.substr(0, root), '/');
    std::string path = root < url.size() ? EncodeURL(url.substr(root)) : std::string();
    bool invalid = false;
    std::string host = SplitURL(server).Host;
    return AppendIfMissing(host, '\\') + URLToLocalName(path, ",", true, invalid);
}

} // namespace

TEST(HostPathBelow, OrdinaryNamesMapOneToOne) {
    EXPECT_EQ(HostPathBelow("/t/", "host\\dir\\file.html"), "/t/host/dir/file.html");
    EXPECT_EQ(HostPathBelow("/t", "host\\a b,c.html"), "/t/host/a b,c.html");
    EXPECT_EQ(HostPathBelow("/t/", "host\\dir\\"), "/t/host/dir/");
    EXPECT_EQ(HostPathBelow("/t/", "host\\.hidden\\...\\x..y"), "/t/host/.hidden/.../x..y");
    EXPECT_EQ(HostPathBelow("/t/", ""), "/t/");
}

TEST(HostPathBelow, HostileComponentsAreNeutralisedTheSameWayEveryTime) {
    EXPECT_EQ(HostPathBelow("/t/", "host\\..\\..\\etc\\x"), "/t/host/%2E%2E/%2E%2E/etc/x");
    EXPECT_EQ(HostPathBelow("/t/", "..\\x"), "/t/%2E%2E/x");
    EXPECT_EQ(HostPathBelow("/t/", "host\\.\\x"), "/t/host/%2E/x");
    EXPECT_EQ(HostPathBelow("/t/", "\\etc\\passwd"), "/t/etc/passwd");
    EXPECT_EQ(HostPathBelow("/t/", "/etc/passwd"), "/t/etc/passwd");
    EXPECT_EQ(HostPathBelow("/t/", "host\\\\\\x"), "/t/host/x");
    EXPECT_EQ(HostPathBelow("/t/", "host/../../x"), "/t/host/%2E%2E/%2E%2E/x");
    EXPECT_EQ(HostPathBelow("/t/", std::string("a\0/../b", 7)), "/t/a%00/%2E%2E/b");
    // The same at a name's end, with and without a closing separator.
    EXPECT_EQ(HostPathBelow("/t/", "host\\x\\.."), "/t/host/x/%2E%2E");
    EXPECT_EQ(HostPathBelow("/t/", "host\\.\\"), "/t/host/%2E/");
    EXPECT_EQ(HostPathBelow("/t/", "host\\x\\\\"), "/t/host/x/");
    EXPECT_EQ(HostPathBelow("/t/", std::string("host\\x\0", 7)), "/t/host/x%00");
    EXPECT_EQ(HostPathBelow("/t/", "\\"), "/t/");

    std::string longName(300, 'n');
    std::string mapped = HostPathBelow("/t/", "host\\" + longName + "\\f");
    std::string component = mapped.substr(8, mapped.size() - 10);
    EXPECT_EQ(component.size(), 255u);
    EXPECT_EQ(component.substr(0, 246), longName.substr(0, 246));
    EXPECT_EQ(component[246], '~');
    EXPECT_EQ(HostPathBelow("/t/", "host\\" + longName + "\\f"), mapped);
    // Two long names that share their start stay apart.
    EXPECT_NE(HostPathBelow("/t/", longName + "a"), HostPathBelow("/t/", longName + "b"));
    EXPECT_EQ(HostPathBelow("/t/", std::string(255, 'k')), "/t/" + std::string(255, 'k'));
    EXPECT_NE(HostPathBelow("/t/", "d\\" + std::string(256, 'k')), "/t/d/" + std::string(256, 'k'));
    EXPECT_EQ(HostPathBelow("/t/", "d\\" + std::string(256, 'k')).size(), 5u + 255u);
}

TEST(HostPathBelow, HostileUrlsEndInsideTheTarget) {
    const std::string base = "/srv/mirror/";
    for (const char* url :
         {"http://h/a/../../../../etc/x", "http://h/%2e%2e/%2e%2e/etc/x", "http://h/%2E%2E%2F%2E%2E%2Fx",
          "http://h/a%2F..%2F..%2F..%2Fx", "http://h/..\\..\\x", "http://h/\\etc\\passwd",
          "http://../x", "http://h/%252e%252e/%252e%252e/x", "http://h/.%2e/.%2e/x",
          "http://h//etc/passwd", "http://h/%00/../x", "http://../../../"}) {
        std::string stored = StoredNameOf(url);
        std::string path = HostPathBelow(base, stored);
        EXPECT_TRUE(Inside(base, path)) << url << " -> " << stored << " -> " << path;
    }
}

TEST(LinkFilePath, TargetDirLocalDirAndLocalName) {
    TDownloadProject project;
    project.TargetDir = "/data/site/";
    TDownloadLink link(&project);
    link.SetServer("http://user:pw@www.example.com:8080/");
    link.LocalFileName = "dir\\index.html";
    EXPECT_EQ(link.LocalDir(), "www.example.com+8080\\");
    EXPECT_EQ(LinkFilePath(project, link), "/data/site/www.example.com+8080/dir/index.html");
    link.SetServer("http://../");
    EXPECT_EQ(LinkFilePath(project, link), "/data/site/%2E%2E/dir/index.html");
}
