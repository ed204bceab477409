// A run with the test plugin loaded: every call site of the run asks it as
// the program defines (download plugins around the run and for other
// schemes, filter votes before the request and after the header, parser
// plugins for documents, HTML parser hooks), and a document a parser plugin
// claimed is never lost.
#include "engine/ResponseHandler.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

class RunPluginTest : public TPluginHostFixture {
protected:
    void RunWith(const std::string& config) {
        Install("kit", config);
        Start();
        FSystem.HandOverSettings(FHome.Path() + "project.prj.plugins");
        run.Plugins = &FSystem;
        run.Project.URL = site.Url("/");
        ASSERT_TRUE(run.RunToEnd());
        FSystem.ClearSettings();
    }
    TSiteServer site;
    TRunHarness run;
};

TEST_F(RunPluginTest, EveryCallSiteAsksThePlugins) {
    site.Route("/", TSiteServer::Page("<a href=\"mailto:me@example.org\">m</a><a href=\"/doc.xyz\">d</a>"));
    site.Route("/doc.xyz", TSiteServer::File("DOCUMENT", "application/x-xyz"));
    site.Route("/found.gif", TSiteServer::File("GIF", "image/gif"));
    RunWith("caps=15\ntake=1\ncanparse=1\naddlinks=/found.gif");
    for (const char* call : {"DownloadStarted", "TakeLink", "FilterBeforeRequest", "FilterAfterHeader", "CanParse",
                             "Parse", "HandleTag", "HandleText", "SaveData", "DownloadFinished"})
        EXPECT_GT(CallCount("kit", call), 0) << call;
    // The mail link was taken by the plugin; the link it reported was fetched.
    auto saved = run.SavedLinks();
    EXPECT_EQ(TRunHarness::LinkOf(*saved, "mailto:me@example.org")->State, lsDownloaded);
    EXPECT_EQ(site.RequestsOf("/found.gif").size(), 1u);
    // The plugin stored nothing itself: the document is kept as received.
    EXPECT_EQ(run.FileText("127.0.0.1/doc.xyz"), "DOCUMENT");
    EXPECT_TRUE(FileExists(run.DataFile() + ".plugins"));
}

// A document too big to hold for its plugin goes to its file as it comes,
// whole, and is not handed to the plugin.
TEST_F(RunPluginTest, ADocumentTooBigToHoldIsStoredAsReceived) {
    const std::string big(kMaxPluginDocument + 4096, 'd');
    site.Route("/", TSiteServer::Page("<a href=\"/big.xyz\">d</a>"));
    site.Route("/big.xyz", TSiteServer::File(big, "application/x-xyz"));
    RunWith("caps=1\ncanparse=1");
    EXPECT_EQ(run.FileText("127.0.0.1/big.xyz"), big);
    EXPECT_GT(CallCount("kit", "CanParse"), 0);  // it claimed the document
    EXPECT_EQ(CallCount("kit", "Parse"), 0);
}

TEST_F(RunPluginTest, ScriptFilesGoToTheScriptScannerNotToParserPlugins) {
    site.Route("/", TSiteServer::Page("<script src=\"/s.js\"></script>"));
    site.Route("/s.js", TSiteServer::File("img.src = \"/from-script.gif\";", "application/javascript"));
    site.Route("/from-script.gif", TSiteServer::File("G", "image/gif"));
    RunWith("caps=1\ncanparse=1");
    EXPECT_EQ(run.FileText("127.0.0.1/s.js"), "img.src = \"/from-script.gif\";");
    EXPECT_EQ(site.RequestsOf("/from-script.gif").size(), 1u);
}

TEST_F(RunPluginTest, VotesRefuseLinksBeforeAndAfterTheHeader) {
    site.Route("/", TSiteServer::Page("<img src=\"/a.gif\">"));
    site.Route("/a.gif", TSiteServer::File("A", "image/gif"));
    RunWith("caps=2\nbefore=0");
    // Not even the start page was asked for.
    EXPECT_TRUE(site.Gets().empty());
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST_F(RunPluginTest, RefusedAfterTheHeaderIsNotStored) {
    site.Route("/", TSiteServer::Page("home"));
    RunWith("caps=2\nafter=0");
    EXPECT_EQ(site.Gets().size(), 1u);
    EXPECT_FALSE(run.FileThere("127.0.0.1/index.html"));
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
}

TEST_F(RunPluginTest, FailingPluginFiltersTheLinkOutAndTheRunGoesOn) {
    site.Route("/", TSiteServer::Page("<a href=\"mailto:me@example.org\">m</a><img src=\"/a.gif\">"));
    site.Route("/a.gif", TSiteServer::File("A", "image/gif"));
    RunWith("caps=6\nfail=TakeLink");
    EXPECT_EQ(site.RequestsOf("/a.gif").size(), 1u);
    EXPECT_TRUE(run.Window.ErrorLogged("TakeLink"));
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

} // namespace
} // namespace vorlin::test
