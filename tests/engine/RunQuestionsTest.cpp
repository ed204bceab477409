// The questions a run asks through its main window: credentials after a
// 401, the structure selection, and the half-automatic choice of links.
#include "engine/RunQuestions.h"
#include "platform/Base64.h"
#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/PasswordList.h"
#include "tests/engine/RunHarness.h"
#include "tests/engine/SiteServer.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

std::string Basic(const std::string& user, const std::string& password) {
    return "Basic " + EncodeBase64(user + ":" + password);
}

// Answers 200 to the given credentials, 401 (realm "Secret") to anything else.
TSiteServer::THandler Protected(const std::string& user, const std::string& password, const std::string& body) {
    return [=](const TSiteRequest& request, int) {
        if (request.Header("Authorization") == Basic(user, password)) return TSiteServer::Page(body);
        return TSiteServer::Status(401, "Unauthorized", {"WWW-Authenticate: Basic realm=\"Secret\""});
    };
}

TEST(RunCredentialsRealm, IsTheQuotedBasicRealm) {
    EXPECT_EQ(TRunQuestions::RealmOf({"Digest realm=\"Other\"", "basic REALM=\"Secret\", charset=\"UTF-8\""}),
              "Secret");
    EXPECT_EQ(TRunQuestions::RealmOf({"Basic realm=Bare"}), "ar");  // less its first and last character
    EXPECT_EQ(TRunQuestions::RealmOf({}), "");
}

class RunCredentialsTest : public TSiteRunTest {};

TEST_F(RunCredentialsTest, StoredEntryIsTriedFirstThenTheUserIsAsked) {
    Home("<a href=\"/secret.html\">s</a>");
    site.Route("/secret.html", Protected("new", "pw2", "SECRET"));
    {
        // An entry that no longer works, for the page's directory.
        TDownloadLink key(&run.Project);
        key.SetServer(site.Url("/"));
        key.Path = "secret.html";
        TPassWordList stored;
        stored.Store(key, "old", "pw");
        stored.SaveToFile(run.Dir() + "/passwords.lst");
    }
    run.Window.OnCredentials = [](TAuthRec& request) {
        request.UserName = "new";
        request.Password = "pw2";
        return true;
    };
    ASSERT_TRUE(run.RunToEnd());
    auto asked = site.RequestsOf("/secret.html");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].Header("Authorization"), "");
    EXPECT_EQ(asked[1].Header("Authorization"), Basic("old", "pw"));
    EXPECT_EQ(asked[2].Header("Authorization"), Basic("new", "pw2"));
    EXPECT_EQ(run.Window.CredentialQuestions, 1);
    EXPECT_EQ(run.Window.Realms, std::vector<std::string>{"Secret"});
    EXPECT_EQ(run.FileText("127.0.0.1/secret.html"), "SECRET");
    // The answer is kept for the next run.
    TPassWordList kept;
    kept.LoadFromFile(run.Dir() + "/passwords.lst");
    TDownloadLink key(&run.Project);
    key.SetServer(site.Url("/"));
    key.Path = "secret.html";
    ASSERT_NE(kept.Find(key), nullptr);
    EXPECT_EQ(kept.Find(key)->UserName, "new");
}

TEST_F(RunCredentialsTest, QuestionsComeOneAtATime) {
    Home("<a href=\"/a.html\">a</a><a href=\"/b.html\">b</a>");
    site.Route("/a.html", Protected("u", "p", "A"));
    site.Route("/b.html", Protected("u", "p", "B"));
    run.Clients = 2;
    int open = 0, most = 0;
    run.Window.OnCredentials = [&](TAuthRec& request) {
        ++open;
        most = std::max(most, open);
        // Meanwhile the other link's 401 has come: its question must wait.
        PumpUntil([&] { return site.RequestsOf("/a.html").size() + site.RequestsOf("/b.html").size() >= 2; });
        PumpFor(100);
        request.UserName = "u";
        request.Password = "p";
        --open;
        return true;
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(most, 1);
    EXPECT_EQ(run.Window.CredentialQuestions, 2);
    EXPECT_EQ(run.FileText("127.0.0.1/a.html"), "A");
    EXPECT_EQ(run.FileText("127.0.0.1/b.html"), "B");
}

TEST_F(RunCredentialsTest, CancelledQuestionFiltersTheLinkOut) {
    Home("<a href=\"/secret.html\">s</a>");
    site.Route("/secret.html", Protected("u", "p", "S"));
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/secret.html").size(), 1u);
    EXPECT_EQ(run.Window.CredentialQuestions, 1);
    EXPECT_EQ(run.Window.LastStats.FilteredOut, 1);
    // Nothing was stored, so no password list was written.
    EXPECT_FALSE(FileExists(run.Dir() + "/passwords.lst"));
}

TEST_F(RunCredentialsTest, ProjectCredentialsReachTheStartPage) {
    site.Route("/", Protected("me", "mine", "HOME"));
    run.Project.URL = site.Url("/");
    run.Project.UseAutentfication = true;
    run.Project.UserName = "me";
    run.Project.Password = "mine";
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(site.RequestsOf("/").back().Header("Authorization"), Basic("me", "mine"));
    EXPECT_EQ(run.Window.CredentialQuestions, 0);
    EXPECT_EQ(run.FileText("127.0.0.1/index.html"), "HOME");
}

// Structure mode fetches the pages; at the end the user picks files.
class RunStructureTest : public TSiteRunTest {
protected:
    void SetUp() override {
        Home("<a href=\"/p.html\">p</a><img src=\"/a.gif\"><img src=\"/b.gif\">");
        site.Route("/p.html", TSiteServer::Page("p"));
        site.Route("/a.gif", TSiteServer::File("A", "image/gif"));
        site.Route("/b.gif", TSiteServer::File("B", "image/gif"));
        run.Project.ProjectMode = pmShowStructure;
    }
    int shown = 0;
};

TEST_F(RunStructureTest, ChosenFilesAreFetchedAfterTheSelection) {
    run.Window.OnSelectStructure = [&](TDownloadProject& project) {
        ++shown;
        // Nothing but the pages yet.
        EXPECT_TRUE(site.RequestsOf("/a.gif").empty());
        for (TDownloadLink* link : *project.Links) {
            TLinkLock lock(*link);
            link->Forced = link->FullURL() == site.Url("/a.gif");
        }
        return true;
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(site.RequestsOf("/a.gif").size(), 1u);
    EXPECT_TRUE(site.RequestsOf("/b.gif").empty());
    EXPECT_EQ(run.FileText("127.0.0.1/a.gif"), "A");
}

TEST_F(RunStructureTest, CancelledSelectionEndsTheRun) {
    run.Window.OnSelectStructure = [&](TDownloadProject&) {
        ++shown;
        return false;
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(site.RequestsOf("/a.gif").empty());
    EXPECT_EQ(site.RequestsOf("/p.html").size(), 1u);
}

class RunHalfAutomaticTest : public TSiteRunTest {};

TEST_F(RunHalfAutomaticTest, OnlyTheChosenLinksAreFollowed) {
    Home("<a href=\"/yes.html\">y</a><a href=\"/no.html\">n</a>");
    site.Route("/yes.html", TSiteServer::Page("<img src=\"/pic.gif\">"));
    site.Route("/no.html", TSiteServer::Page("no"));
    site.Route("/pic.gif", TSiteServer::File("P", "image/gif"));
    run.Clients = 2;
    run.Project.ProjectMode = pmHalfAutomatic;
    std::vector<std::string> pages;
    run.Window.OnSelectLinks = [&](TDownloadProject&, TDownloadLink& page) {
        pages.push_back(page.FullURL());
        for (TDownloadLink* link : page.References) {
            TLinkLock lock(*link);
            const std::string url = link->FullURL();
            link->Forced = url == site.Url("/yes.html") || url == site.Url("/pic.gif");
        }
    };
    ASSERT_TRUE(run.RunToEnd());
    EXPECT_EQ(pages, (std::vector<std::string>{site.Url("/"), site.Url("/yes.html")}));
    EXPECT_EQ(site.RequestsOf("/yes.html").size(), 1u);
    EXPECT_EQ(site.RequestsOf("/pic.gif").size(), 1u);
    EXPECT_TRUE(site.RequestsOf("/no.html").empty());
    EXPECT_EQ(run.Window.LastStats.Remaining, 0);
}

} // namespace
} // namespace vorlin::test
