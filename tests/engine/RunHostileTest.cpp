// A hostile site: links and redirects that try to leave the target
// directory, odd host names, huge pages. Nothing may be written outside the
// target directory, and every run ends in bounded time.
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

// The names of the entries of a directory that contain the token.
std::vector<std::string> EntriesWith(const fs::path& dir, const std::string& token) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(dir, ignored))
        if (entry.path().filename().string().find(token) != std::string::npos) found.push_back(entry.path().string());
    return found;
}

TEST(RunHostile, NothingIsWrittenOutsideTheTargetDirectory) {
    const std::string token = "vorlin-escape-" + std::to_string(getpid());
    TSiteServer site;
    const std::string home = "http://site.test/";
    std::string page;
    for (const std::string& href : std::vector<std::string>{"../../../../../" + token + "-a.html", "/%2e%2e/%2e%2e/" + token + "-b.html",
          "/x/..%2f..%2f..%2f" + token + "-c.html", "/..%5c..%5c" + token + "-d.gif",
          "http://../" + token + "-e.html", "http://a\\..\\..\\..\\" + token + "-f/",
          "http://%2e%2e/" + token + "-n.html", "/r1", "/r2", "/r3", "/r4", "/r5", "/r6", "/r7"})
        page += "<a href=\"" + href + "\">x</a>";
    site.Route(home, TSiteServer::Page(page));
    const std::vector<std::pair<std::string, std::string>> redirects = {
        {"r1", "../../../" + token + "-g.html"},
        {"r2", "http://..%2f..%2f/" + token + "-h.html"},
        {"r3", "/%2e%2e/%2e%2e/%2e%2e/" + token + "-i.html"},
        {"r4", "http://site.test/a/%2F..%2F..%2F..%2F" + token + "-j.html"},
        {"r5", "//../../" + token + "-k.html"},
        {"r6", "http://.../" + token + "-l.html"},
        {"r7", "/etc/" + token + "-m"}};
    for (const auto& [from, to] : redirects)
        site.Route(home + from, TSiteServer::Status(302, "Found", {"Location: " + to}));
    site.SetDefault([&](const TSiteRequest&, int) { return TSiteServer::File(token, "text/plain"); });

    TRunHarness run;
    run.Project.URL = home;
    run.Project.ScopeMode = smStayOnServer;
    run.Project.FollowExternalLinks = true;
    run.ProxyHost = "127.0.0.1";
    run.ProxyPort = std::to_string(site.Port());
    run.Start();
    // Through the site as a proxy: the odd hosts are never looked up.
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_GT(site.Requests().size(), 10u);

    for (const std::string& file : run.AllFiles())
        EXPECT_TRUE(file.rfind("site/", 0) == 0 || file.rfind("projects/", 0) == 0) << file;
    const fs::path dir = run.Dir();
    EXPECT_TRUE(EntriesWith(dir.parent_path(), token).empty());
    EXPECT_TRUE(EntriesWith(dir.parent_path().parent_path(), token).empty());
    EXPECT_TRUE(EntriesWith("/etc", token).empty());
    // The hostile names did get stored, only below the target directory.
    int stored = 0;
    for (const std::string& file : run.AllFiles())
        if (file.find(token) != std::string::npos) ++stored;
    EXPECT_GE(stored, 5);
}

} // namespace
} // namespace vorlin::test
