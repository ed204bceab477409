// Links and redirects from a real server that try to leave the target
// directory: dot segments plain and encoded, backslashes, absolute paths,
// odd hosts, redirects that climb and a redirect loop. The run completes and
// nothing is written, created or deleted outside the target directory.
#include "tests/e2e/support/SiteRun.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

// Every name that reaches the server answers with a page, so that a
// climbing name is stored (somewhere) rather than refused.
const char* const kHostileConfig =
    "    location ~ escape { default_type text/html; return 200 \"<html>escaped</html>\\n\"; }\n"
    "    location = /hostile/r1 { return 301 \"http://127.0.0.1:@PORT@/../../../../tmp/vorlin-escape-r1.html\"; }\n"
    "    location = /hostile/r2 { return 301 \"/%2e%2e/%2e%2e/%2e%2e/vorlin-escape-r2.html\"; }\n"
    "    location = /hostile/r3 { return 301 \"..\\\\..\\\\..\\\\vorlin-escape-r3.html\"; }\n"
    "    location = /hostile/r4 { return 301 \"http://127.0.0.1:@PORT@/..%2f..%2f..%2fvorlin-escape-r4.html\"; }\n"
    "    location = /hostile/loop1 { return 301 /hostile/loop2; }\n"
    "    location = /hostile/loop2 { return 301 /hostile/loop1; }\n";

std::string HostilePage(int port) {
    const std::string self = "http://127.0.0.1:" + std::to_string(port);
    return "<html><body>\n"
           "<a href=\"../../../../../../../../tmp/vorlin-escape-1.html\">1</a>\n"
           "<a href=\"%2e%2e%2f%2e%2e%2f%2e%2e%2f%2e%2e%2ftmp%2fvorlin-escape-2.html\">2</a>\n"
           "<a href=\"..%2f..%2f..%2f..%2fvorlin-escape-3.html\">3</a>\n"
           "<a href=\"/..%2f..%2f..%2fvorlin-escape-4.html\">4</a>\n"
           "<a href=\"..\\..\\..\\..\\vorlin-escape-5.html\">5</a>\n"
           "<a href=\"" + self + "/..%5c..%5c..%5cvorlin-escape-6.html\">6</a>\n"
           "<img src=\"/tmp/vorlin-escape-7.gif\">\n"
           "<a href=\"%2ftmp%2fvorlin-escape-8.html\">8</a>\n"
           "<a href=\"" + self + "/%2e%2e%5c%2e%2e%5cvorlin-escape-9.html\">9</a>\n"
           "<a href=\"http://127.0.0.1:" + std::to_string(port) + "@127.0.0.1:" + std::to_string(port) +
           "/../vorlin-escape-10.html\">10</a>\n"
           "<a href=\"file:///tmp/vorlin-escape-11.html\">11</a>\n"
           "<a href=\"escape%00.html\">12</a>\n"
           "<a href=\"r1\">r1</a><a href=\"r2\">r2</a><a href=\"r3\">r3</a><a href=\"r4\">r4</a>\n"
           "<a href=\"loop1\">loop</a>\n"
           "</body></html>\n";
}

// Every entry below dir with its size and time, except the subtrees named.
std::map<std::string, std::string> Snapshot(const std::string& dir, const std::set<std::string>& skip) {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = fs::relative(it->path(), dir).generic_string();
        if (skip.count(rel)) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code ec;
        auto size = it->is_regular_file() ? it->file_size(ec) : 0;
        entries[rel] = std::to_string(size) + " " +
                       std::to_string(fs::last_write_time(it->path(), ec).time_since_epoch().count());
    }
    return entries;
}

// Names below dir (not recursing) that the hostile links would make.
std::vector<std::string> Escapes(const std::string& dir) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().filename().string().find("vorlin-escape") != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}

class HostileRunTest : public TFixtureSiteRun {
protected:
    void SetUp() override {
        ExtraConfig = kHostileConfig;
        TFixtureSiteRun::SetUp();
        if (IsSkipped()) return;
        fs::create_directories(SiteRoot + "/hostile");
        std::ofstream(SiteRoot + "/hostile/index.html") << HostilePage(Server->Port());
        run.Project.URL = URL("hostile/index.html");
        run.Project.ScopeMode = smStayOnServer;  // so that climbing links are asked for
    }
};

TEST_F(HostileRunTest, NothingIsWrittenOutsideTheTargetDirectory) {
    const std::string parent = fs::path(run.Dir()).parent_path().string();
    ASSERT_TRUE(Escapes(parent).empty()) << "left over from an earlier run";
    // The target directory's parent holds the served site and the project.
    const auto before = Snapshot(run.Dir(), {"site", "projects"});

    ASSERT_TRUE(run.RunToEnd(60000));

    EXPECT_EQ(Snapshot(run.Dir(), {"site", "projects"}), before);
    EXPECT_EQ(Escapes(parent), std::vector<std::string>{});
    EXPECT_EQ(Escapes("/"), std::vector<std::string>{});
    // Whatever was stored lies inside the target directory.
    const fs::path target = fs::weakly_canonical(run.TargetDir());
    for (const std::string& file : FilesBelow(run.TargetDir())) {
        fs::path real = fs::weakly_canonical(fs::path(run.TargetDir()) / file);
        EXPECT_EQ(real.string().rfind(target.string(), 0), 0u) << file;
    }
    // The climbing names did reach the server and were stored inside, below
    // the host directory; the loop ended.
    EXPECT_GT(FilesBelow(run.TargetDir()).size(), 10u);
    for (const std::string& file : FilesBelow(run.TargetDir())) EXPECT_EQ(file.rfind(run.HostDir(), 0), 0u) << file;
    EXPECT_TRUE(run.FileThere("127.0.0.1/tmp/vorlin-escape-1.html"));
    // The stored page's links stay inside the copy too, and lead to stored
    // files; those the server refused (the climbing escapes among them)
    // point at their addresses.
    const std::string page = HostDir() + "hostile/index.html";
    const std::string copy = fs::path(run.TargetDir()).lexically_normal().string();
    int leadingToFiles = 0;
    for (const std::string& link : LinkAttributes(Stored("hostile/index.html"))) {
        if (link.find(':') != std::string::npos) continue;
        fs::path leads = (fs::path(page).parent_path() / PercentDecoded(link)).lexically_normal();
        EXPECT_EQ(leads.string().rfind(copy, 0), 0u) << link;
        EXPECT_TRUE(fs::is_regular_file(leads)) << link;
        if (fs::is_regular_file(leads)) ++leadingToFiles;
    }
    EXPECT_GE(leadingToFiles, 9);
    EXPECT_LE(Server->RequestCount("/hostile/loop1"), 2);
    EXPECT_LE(Server->RequestCount("/hostile/loop2"), 2);
}

} // namespace
} // namespace vorlin::test
