// How a run treats servers: robots.txt, the wait between two requests to
// one server (measured from the server's side), the run's rate limit and
// the cookies servers set or a cookies file brings.
#include "net/CookiesTxt.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace vorlin::test {
namespace {

using TClock = std::chrono::steady_clock;

// When each path was asked for with GET, as the server saw it.
class TRequestTimes {
public:
    TSiteServer::THandler Timed(TScript answer) {
        return [this, answer](const TSiteRequest& request, int) {
            std::lock_guard<std::mutex> lock(FLock);
            if (request.Method == "GET") FTimes.push_back({request.Path, TClock::now()});
            return answer;
        };
    }
    std::vector<TClock::time_point> Of(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(FLock);
        std::vector<TClock::time_point> times;
        for (auto& [path, at] : FTimes)
            if (path.compare(0, prefix.size(), prefix) == 0) times.push_back(at);
        return times;
    }

private:
    std::mutex FLock;
    std::vector<std::pair<std::string, TClock::time_point>> FTimes;
};

double Seconds(TClock::time_point from, TClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

class RunMannersTest : public TSiteRunTest {
protected:
    void SetUp() override { run.Project.Manners.ObeyRobots = true; }
};

TEST_F(RunMannersTest, RobotsTxtRefusesWhatItDisallowsAndCountsItFilteredOut) {
    site.Route("/robots.txt", TSiteServer::File("User-agent: *\nDisallow: /private/\nAllow: /private/ok.html\n",
                                                "text/plain"));
    Home("<a href=\"/private/a.html\">a</a><a href=\"/private/ok.html\">ok</a><a href=\"/pub.html\">p</a>");
    site.Route("/private/a.html", TSiteServer::Page("secret"));
    site.Route("/private/ok.html", TSiteServer::Page("ok"));
    site.Route("/pub.html", TSiteServer::Page("pub"));
    run.Project.ScopeMode = smStayOnServer;
    run.Clients = 3;
    ASSERT_TRUE(run.RunToEnd());
    const std::vector<std::string> gets = site.Gets();
    ASSERT_FALSE(gets.empty());
    // Before anything else, the test of the start address too.
    EXPECT_EQ(site.Paths().front(), "/robots.txt");
    EXPECT_EQ(std::count(gets.begin(), gets.end(), "/robots.txt"), 1);
    EXPECT_EQ(std::count(gets.begin(), gets.end(), "/private/a.html"), 0);
    EXPECT_EQ(std::count(gets.begin(), gets.end(), "/private/ok.html"), 1);
    EXPECT_EQ(std::count(gets.begin(), gets.end(), "/pub.html"), 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
    EXPECT_TRUE(run.Window.Logged("robots.txt (Disallow: /private/): " + site.Url("/private/a.html")));
    // robots.txt is neither a file of the copy nor a link of the project.
    EXPECT_FALSE(run.FileThere("127.0.0.1/robots.txt"));
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/robots.txt")), nullptr);
}

TEST_F(RunMannersTest, AStartAddressThatRobotsTxtRefusesIsNotAskedFor) {
    site.Route("/robots.txt", TSiteServer::File("User-agent: *\nDisallow: /\n", "text/plain"));
    Home("<a href=\"/a.html\">a</a>");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.Paths(), std::vector<std::string>{"/robots.txt"});
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
    EXPECT_TRUE(run.Window.Logged("Filtered out by robots.txt (Disallow: /): " + site.Url("/")));
}

TEST_F(RunMannersTest, NoRobotsOrAnUnreadableOneAllowsEverything) {
    // The default 404: allowed without a word.
    Home("<a href=\"/a.html\">a</a>");
    site.Route("/a.html", TSiteServer::Page("a"));
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.Gets(), (std::vector<std::string>{"/robots.txt", "/", "/a.html"}));
    EXPECT_FALSE(run.Window.Logged("robots.txt could not be read"));

    // A server error: allowed, and said once.
    TSiteServer failing;
    failing.Route("/robots.txt", TSiteServer::Status(503, "Service Unavailable"));
    failing.Route("/", TSiteServer::Page("<a href=\"/b.html\">b</a><a href=\"/c.html\">c</a>"));
    failing.Route("/b.html", TSiteServer::Page("b"));
    failing.Route("/c.html", TSiteServer::Page("c"));
    TRunHarness second;
    second.Project.URL = failing.Url("/");
    second.Project.Manners.ObeyRobots = true;
    second.Clients = 2;
    ASSERT_TRUE(second.RunToEnd());
    EXPECT_EQ(second.Window.LastStats.Downloaded, 3);
    EXPECT_EQ(second.Window.LogCount("robots.txt could not be read (503"), 1);
}

TEST_F(RunMannersTest, NoRobotsAsksForNoRobotsTxt) {
    site.Route("/robots.txt", TSiteServer::File("User-agent: *\nDisallow: /\n", "text/plain"));
    Home("<a href=\"/a.html\">a</a>");
    site.Route("/a.html", TSiteServer::Page("a"));
    run.Project.Manners.ObeyRobots = false;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.Gets(), (std::vector<std::string>{"/", "/a.html"}));
}

TEST_F(RunMannersTest, CrawlDelayIsTheWaitWhenTheProjectSetsNone) {
    TRequestTimes times;
    site.Route("/robots.txt", times.Timed(TSiteServer::File("User-agent: *\nCrawl-delay: 0.3\n", "text/plain")));
    site.Route("/", times.Timed(TSiteServer::Page("<a href=\"/p1.html\">1</a><a href=\"/p2.html\">2</a>")));
    site.Route("/p1.html", times.Timed(TSiteServer::Page("1")));
    site.Route("/p2.html", times.Timed(TSiteServer::Page("2")));
    run.Project.URL = site.Url("/");
    run.Clients = 3;
    ASSERT_TRUE(run.RunToEnd());
    auto all = times.Of("/");
    ASSERT_EQ(all.size(), 4u);  // robots.txt, three pages
    // One request at a time, 0.3 s apart (with slack).
    for (size_t i = 1; i < all.size(); ++i) EXPECT_GE(Seconds(all[i - 1], all[i]), 0.25) << i;
}

TEST_F(RunMannersTest, WaitHoldsOneServerWhileTheOtherGoesOn) {
    TRequestTimes times;
    TSiteServer other;
    std::string links;
    for (int i = 1; i <= 3; ++i) {
        const std::string page = "/a" + std::to_string(i) + ".html";
        site.Route(page, times.Timed(TSiteServer::Page("a")));
        links += "<a href=\"" + page + "\">a</a>";
    }
    for (int i = 1; i <= 3; ++i) {
        const std::string page = "/b" + std::to_string(i) + ".html";
        other.Route(page, times.Timed(TSiteServer::Page("b")));
        links += "<a href=\"" + other.Url(page) + "\">b</a>";
    }
    Home(links);
    run.Project.Manners.ObeyRobots = false;
    run.Project.Manners.WaitSeconds = 0.3;
    run.Project.FollowExternalLinks = true;
    run.Clients = 4;
    ASSERT_TRUE(run.RunToEnd());
    auto a = times.Of("/a");
    auto b = times.Of("/b");
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_GE(Seconds(a[i - 1], a[i]), 0.25);
        EXPECT_GE(Seconds(b[i - 1], b[i]), 0.25);
    }
    // The other server did not wait for the first one's pages.
    EXPECT_LT(b[0], a[1]);
    EXPECT_EQ(run.Window.LastStats.Downloaded, 7);
}

TEST_F(RunMannersTest, LimitRateStretchesAKnownSize) {
    run.Project.Manners.ObeyRobots = false;
    const std::string body(60 * 1024, 'x');
    Home("<a href=\"/big.bin\">big</a>");
    site.Route("/big.bin", TSiteServer::File(body, "application/octet-stream"));
    run.Project.Manners.LimitRate = 40 * 1024;
    const auto start = TClock::now();
    ASSERT_TRUE(run.RunToEnd());
    // 60 KB at 40 KB/s, less what the budget held at the start.
    EXPECT_GE(Seconds(start, TClock::now()), 1.2);
    EXPECT_EQ(run.FileText("127.0.0.1/big.bin"), body);
}

// The login page sets a cookie that the members' page requires.
TSiteServer::THandler RequiresCookie(const std::string& cookie) {
    return [cookie](const TSiteRequest& request, int) {
        if (request.Header("Cookie").find(cookie) == std::string::npos) return TSiteServer::Status(403, "Forbidden");
        return TSiteServer::Page("members only");
    };
}

TEST_F(RunMannersTest, ACookieSetByOnePageGoesWithTheNextAndIsSaved) {
    run.Project.Manners.ObeyRobots = false;
    site.Route("/", TSiteServer::Page("<a href=\"/members/x.html\">m</a>",
                                      {"Set-Cookie: session=abc123; Path=/", "Set-Cookie: keep=1; Max-Age=3600",
                                       "Set-Cookie: evil=1; Domain=example.com"}));
    site.Route("/members/x.html", RequiresCookie("session=abc123"));
    run.Project.URL = site.Url("/");
    run.Project.Manners.SaveCookies = run.Dir() + "/saved cookies.txt";
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/members/x.html"), "members only");
    // Only the persistent cookie is saved without --keep-session-cookies.
    const std::string saved = ReadText(run.Project.Manners.SaveCookies);
    EXPECT_NE(saved.find("\tkeep\t1"), std::string::npos);
    EXPECT_EQ(saved.find("session"), std::string::npos);
    EXPECT_EQ(saved.find("evil"), std::string::npos);
}

TEST_F(RunMannersTest, ACookiesFileLogsIn) {
    run.Project.Manners.ObeyRobots = false;
    const std::string file = run.Dir() + "/cookies.txt";
    std::ofstream(file) << "# Netscape HTTP Cookie File\n#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tlogin\tsecret\n";
    Home("<a href=\"/members/x.html\">m</a>");
    site.Route("/members/x.html", RequiresCookie("login=secret"));
    run.Project.Manners.LoadCookies = file;
    run.Project.Manners.SaveCookies = run.Dir() + "/out.txt";
    run.Project.Manners.KeepSessionCookies = true;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/members/x.html"), "members only");
    EXPECT_TRUE(run.Window.Logged("1 cookies read from"));
    // The round trip keeps the session cookie, HttpOnly and all.
    EXPECT_NE(ReadText(run.Dir() + "/out.txt").find("#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tlogin\tsecret"),
              std::string::npos);
}

TEST_F(RunMannersTest, HostileSetCookieHeadersAreBounded) {
    run.Project.Manners.ObeyRobots = false;
    std::vector<std::string> headers;
    for (int i = 0; i < 400; ++i) headers.push_back("Set-Cookie: c" + std::to_string(i) + "=v; Max-Age=999");
    headers.push_back("Set-Cookie: huge=" + std::string(6000, 'h'));
    headers.push_back("Set-Cookie: tld=1; Domain=.1");
    Home("hostile");
    site.Route("/", TSiteServer::Page("hostile", headers));
    run.Project.Manners.SaveCookies = run.Dir() + "/out.txt";
    ASSERT_TRUE(run.RunToEnd());
    const std::string saved = ReadText(run.Dir() + "/out.txt");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n') - 3, static_cast<long>(TCookieJar::kMaxPerSite));
    EXPECT_EQ(saved.find("huge"), std::string::npos);
    EXPECT_EQ(saved.find("tld"), std::string::npos);
}

} // namespace
} // namespace vorlin::test
