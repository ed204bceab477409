// What a run does to the names and references of its stored files once
// their fate is known: files whose type their name does not tell get an
// extension (and the pages written before follow the new name), references
// to files not stored point at their addresses, and an update run that
// stores such a file points the unchanged pages back at it.
#include "links/ReferenceRepair.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

class RunRepairTest : public TSiteRunTest {};

TEST_F(RunRepairTest, NamesTellTheTypeAndPagesWrittenBeforeFollowThem) {
    // The page is written before any of its files has answered.
    Home("<link rel=stylesheet href=\"/s.css?v=1\"><img src=\"/i?id=3\"><a href=\"/p?n=2\">p</a>"
         "<script src=\"/j.php\"></script><img src=\"/ok.png?x\">");
    site.Route("/s.css?v=1", TSiteServer::File("body { background: url(/b.gif?r=1) }", "text/css"));
    site.Route("/i?id=3", TSiteServer::File("PNG", "image/png"));
    site.Route("/p?n=2", TSiteServer::Page("<a href=\"/s.css?v=1\">sheet</a>"));
    site.Route("/j.php", TSiteServer::File("var x;", "application/javascript; charset=utf-8"));
    site.Route("/ok.png?x", TSiteServer::File("PNG", "image/png"));
    run.Clients = 3;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"),
              "<link rel=stylesheet href=\"s.css,v=1.css\"><img src=\"i,id=3.png\"><a href=\"p,n=2.html\">p</a>"
              "<script src=\"j.php.js\"></script><img src=\"ok.png,x.png\">");
    EXPECT_EQ(run.FileText("127.0.0.1/s.css,v=1.css"), "body { background: url(/b.gif?r=1) }");
    EXPECT_EQ(run.FileText("127.0.0.1/i,id=3.png"), "PNG");
    EXPECT_EQ(run.FileText("127.0.0.1/j.php.js"), "var x;");
    // A page parsed after the sheet's answer names it by its new name at once.
    EXPECT_EQ(run.FileText("127.0.0.1/p,n=2.html"), "<a href=\"s.css,v=1.css\">sheet</a>");
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, site.Url("/s.css?v=1"))->LocalFileName, "s.css,v=1.css");
}

TEST_F(RunRepairTest, ReferencesToFilesNotStoredKeepTheirAddresses) {
    Home("<img src=\"/gone.gif\"><a href=\"/x.zip?a=1&amp;b=2#part\">zip</a><img src=\"/here.gif\">"
         "<a href=\"/dir\">dir</a>");
    site.Route("/here.gif", TSiteServer::File("GIF", "image/gif"));
    site.Route("/dir", TSiteServer::Status(301, "Moved", {"Location: " + site.Url("/dir/")}));
    site.Route("/dir/", TSiteServer::Page("DIR"));
    run.Project.ExcludeList = {"zip"};
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"),
              "<img src=\"" + site.Url("/gone.gif") + "\"><a href=\"" + site.Url("/x.zip?a=1&amp;b=2") +
                  "#part\">zip</a><img src=\"here.gif\"><a href=\"dir/index.html\">dir</a>");
}

TEST_F(RunRepairTest, ManyPagesAreAllRepairedWhenTheWorkIsShared) {
    // Enough pages that the end-of-run pass shares them with a helper.
    const int pages = static_cast<int>(TReferenceRepair::kSpreadFrom) * 2 + 1;
    std::string home;
    for (int i = 0; i < pages; ++i) {
        const std::string name = "/p" + std::to_string(i) + ".html";
        home += "<a href=\"" + name + "\">" + std::to_string(i) + "</a>";
        site.Route(name, TSiteServer::Page("<img src=\"/gone.gif\"><a href=\"/x" + std::to_string(i) +
                                           ".zip\">z</a><a href=\"/p0.html\">first</a>"));
    }
    Home(home);
    run.Project.ExcludeList = {"zip"};
    run.Clients = 4;
    ASSERT_TRUE(run.RunToEnd());
    for (int i = 0; i < pages; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(run.FileText("127.0.0.1/p" + n + ".html"),
                  "<img src=\"" + site.Url("/gone.gif") + "\"><a href=\"" + site.Url("/x" + n + ".zip") +
                      "\">z</a><a href=\"p0.html\">first</a>")
            << "page " << n;
    }
}

TEST_F(RunRepairTest, AnUpdateThatStoresAFilePointsTheUnchangedPageBackAtIt) {
    int pagesSent = 0;
    site.Route("/", [&](const TSiteRequest& request, int) {
        if (!request.Header("If-Modified-Since").empty()) return TSiteServer::Status(304, "Not Modified");
        if (request.Method == "GET") ++pagesSent;
        return TSiteServer::File("<img src=\"/late.gif\">", "text/html",
                                 {"Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT"});
    });
    bool there = false;
    site.Route("/late.gif", [&](const TSiteRequest&, int) {
        return there ? TSiteServer::File("GIF", "image/gif") : TSiteServer::Status(404, "Not Found");
    });
    run.Project.URL = site.Url("/");
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), "<img src=\"" + site.Url("/late.gif") + "\">");

    there = true;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(pagesSent, 1);  // the page itself was not sent again
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), "<img src=\"late.gif\">");
    EXPECT_EQ(run.FileText("127.0.0.1/late.gif"), "GIF");
}

TEST_F(RunRepairTest, MirrorModeKeepsNamesAndPages) {
    const std::string page = "<link rel=stylesheet href=\"/s.css?v=1\"><img src=\"/gone.gif\">";
    Home(page);
    site.Route("/s.css?v=1", TSiteServer::File("b {}", "text/css"));
    run.Project.ProjectMode = pmMirror;
    run.Project.InvalidCharMode = icComma;
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), page);
    EXPECT_EQ(run.FileText("127.0.0.1/s.css,v=1"), "b {}");
}

} // namespace
} // namespace vorlin::test
