// The fixture site mirrored for offline browsing: the tree on disk, links
// of the stored pages leading to stored files, what is left on the server
// and why, redirects, and the protected area with and without the
// project's credentials.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"

#include "project/DownloadLink.h"
#include "project/PasswordList.h"

#include <gtest/gtest.h>

#include <set>

namespace vorlin::test {
namespace {

class OfflineRunTest : public TFixtureSiteRun {
protected:
    void WithCredentials() {
        run.Project.UseAutentfication = true;
        run.Project.UserName = kFixtureUser;
        run.Project.Password = kFixturePassword;
    }
    TLinkState StateOf(const std::string& path) {
        if (!FSaved) FSaved = run.SavedLinks();
        TDownloadLink* link = TRunHarness::LinkOf(*FSaved, URL(path));
        EXPECT_NE(link, nullptr) << path;
        return link ? link->State : lsPending;
    }
    std::unique_ptr<TDownloadProject> FSaved;
};

std::set<std::string> Expected(std::initializer_list<const char*> without = {}) {
    std::vector<std::string> files = FixtureExpectedFiles();
    std::set<std::string> expected(files.begin(), files.end());
    for (const char* f : without) expected.erase(f);
    return expected;
}

TEST_F(OfflineRunTest, TreeOnDiskIsTheSiteAndLocalLinksLeadToStoredFiles) {
    WithCredentials();
    ASSERT_TRUE(run.RunToEnd(60000));

    EXPECT_EQ(StoredFiles(), Expected());
    EXPECT_EQ(Stored("files/big.bin"), Served("files/big.bin"));
    // Every relative link leads to a stored file. Those the run could not
    // or would not store point at their addresses (the missing image, the
    // other port's page); the directory that redirected to its "/" form
    // points at that form's page.
    std::vector<std::string> absolute;
    EXPECT_EQ(DanglingLinks(&absolute), std::vector<std::string>{});
    EXPECT_EQ(absolute, (std::vector<std::string>{"index.html: mailto:someone@example.invalid",
                                                   "index.html: http://127.0.0.1:1/elsewhere.html",
                                                   "index.html: " + URL("img/missing.gif")}));
    EXPECT_NE(Stored("index.html").find("<a href=\"docs/index.html\">Documents</a>"), std::string::npos);
    // Pages point at their neighbours the way the local tree lies.
    EXPECT_NE(Stored("index.html").find("href=\"gallery/index.html\""), std::string::npos);
    EXPECT_NE(Stored("listing/index.html").find("href=\"../index.html\""), std::string::npos);
    EXPECT_NE(Stored("based/page.html").find("<img src=\"inner/pic.gif\">"), std::string::npos);
    // Script texts are left as they are; what they name was fetched.
    EXPECT_EQ(Stored("js/app.js"), Served("js/app.js"));
    EXPECT_NE(Stored("scripts.html").find("roll.src = 'img/roll.gif';"), std::string::npos);

    EXPECT_EQ(run.Window.CredentialQuestions, 0);
    ASSERT_EQ(run.Window.Errors.size(), 1u) << ::testing::PrintToString(run.Window.Errors);
    EXPECT_EQ(run.Window.Errors[0], "404 Not Found " + URL("img/missing.gif") + " Link war auf " + URL(""));
    EXPECT_EQ(StateOf("img/missing.gif"), lsFilteredOut);
    EXPECT_EQ(StateOf("private/secret.html"), lsDownloaded);
}

TEST_F(OfflineRunTest, RedirectsBecomeLinksOfTheirOwn) {
    ASSERT_TRUE(run.RunToEnd(60000));
    // The moved page is fetched at its new place and copied to the old name.
    EXPECT_EQ(Stored("old.html"), Served("new.html"));
    EXPECT_EQ(Stored("new.html"), Served("new.html"));
    EXPECT_EQ(StateOf("old.html"), lsFilteredOut);
    EXPECT_EQ(StateOf("new.html"), lsDownloaded);
    // The directory without its "/" is not copied anywhere: its "/" form is
    // the page.
    EXPECT_EQ(StateOf("docs"), lsFilteredOut);
    EXPECT_EQ(StateOf("docs/"), lsDownloaded);
    EXPECT_FALSE(run.FileThere("127.0.0.1/docs"));
    EXPECT_EQ(Stored("docs/index.html"), Served("docs/index.html"));
    // Each address was asked for once.
    for (const char* path : {"/old.html", "/new.html", "/docs", "/docs/", "/docs/guide.html"})
        EXPECT_EQ(Server->RequestCount(path), 1) << path;
}

TEST_F(OfflineRunTest, ProtectedAreaIsFilteredOutWithoutCredentials) {
    ASSERT_TRUE(run.RunToEnd(60000));
    EXPECT_EQ(StoredFiles(), Expected({"private/secret.html", "private/key.gif"}));
    // The window was asked once, for the server's realm, and said no.
    EXPECT_EQ(run.Window.CredentialQuestions, 1);
    EXPECT_EQ(run.Window.Realms, std::vector<std::string>{"Fixture Area"});
    EXPECT_EQ(StateOf("private/secret.html"), lsFilteredOut);
    EXPECT_EQ(Server->RequestCount("/private/key.gif"), 0);
}

TEST_F(OfflineRunTest, CredentialsAskedForAreSentToTheProtectedArea) {
    run.Window.OnCredentials = [](TAuthRec& request) {
        request.UserName = kFixtureUser;
        request.Password = kFixturePassword;
        return true;
    };
    ASSERT_TRUE(run.RunToEnd(60000));
    EXPECT_EQ(run.Window.CredentialQuestions, 1);
    EXPECT_EQ(Stored("private/secret.html"), Served("private/secret.html"));
    EXPECT_EQ(Stored("private/key.gif"), Served("private/key.gif"));
}

} // namespace
} // namespace vorlin::test
