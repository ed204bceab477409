// `vorlin get` and `vorlin run` as programs over a temporary program
// directory, against a site served by the test process on 127.0.0.1.
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "tests/engine/SiteServer.h"
#include "tests/cli/CliTestSupport.h"

#include <gmock/gmock.h>
#include <sys/wait.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class GetRunCommand : public ::testing::Test {
protected:
    void SetUp() override {
        site.Route("/", TSiteServer::Page("<a href=\"a.html\">a</a><img src=\"i.gif\">"));
        site.Route("/a.html", TSiteServer::Page("<a href=\"/\">home</a>"));
        site.Route("/i.gif", TSiteServer::File("GIF89a", "image/gif"));
    }

    // Runs the program with the arguments (already quoted for the shell);
    // answers the exit status and fills Out and Err.
    int Run(const std::string& arguments) {
        std::string out = FTemp.Path() + "out", err = FTemp.Path() + "err";
        std::string command = "'" + std::string(VORLIN_PROGRAM) + "' " + arguments + " >'" + out + "' 2>'" + err +
                              "' </dev/null";
        int raw = std::system(command.c_str());
        Out = ReadWholeFile(out);
        Err = ReadWholeFile(err);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Get(const std::string& options, const std::string& target) {
        return "get --home '" + Home() + "' " + options + " " + site.Url("/") + " '" + target + "'";
    }
    std::string Home() const { return FTemp.Path() + "home"; }
    std::string Target() const { return FTemp.Path() + "copy"; }
    std::string QuickProject(const std::string& caption) const {
        return Home() + "/Projects/Quick Projects/" + caption + ".prj";
    }
    std::string Caption() const { return "127.0.0.1_" + std::to_string(site.Port()); }
    // The site's directory in a copy: the host and the server's port.
    std::string HostDir() const { return "/127.0.0.1+" + std::to_string(site.Port()) + "/"; }

    TSiteServer site;
    TCliTempDir FTemp;
    std::string Out, Err;
};

TEST_F(GetRunCommand, GetMirrorsTheSiteIntoAQuickProjectAndNamesItsFile) {
    ASSERT_EQ(Run(Get("", Target())), 0) << Err;
    EXPECT_THAT(Out, EndsWith(QuickProject(Caption()) + "\n"));
    EXPECT_TRUE(FileExists(Target() + HostDir() + "index.html"));
    EXPECT_TRUE(FileExists(Target() + HostDir() + "a.html"));
    EXPECT_TRUE(FileExists(Target() + HostDir() + "i.gif"));
    EXPECT_TRUE(FileExists(ChangeFileExt(QuickProject(Caption()), ".dat")));
    EXPECT_TRUE(FileExists(QuickProject(Caption()) + ".plugins")) << "the style-sheet plugin is switched on";
    // Plain output when it is not a terminal.
    EXPECT_THAT(Out + Err, Not(HasSubstr("\x1b")));

    // Another project of the same host is numbered.
    ASSERT_EQ(Run(Get("-q", Target() + "2")), 0) << Err;
    EXPECT_THAT(Out, EndsWith(QuickProject(Caption() + " (2)") + "\n"));
    EXPECT_EQ(Out.find('\n'), Out.size() - 1) << "-q prints only the project's path";

    // Run again: everything is up to date, nothing fails.
    ASSERT_EQ(Run("run --home '" + Home() + "' '" + QuickProject(Caption()) + "'"), 0) << Err;
}

TEST_F(GetRunCommand, OptionsAreKeptForTheNextRun) {
    ASSERT_EQ(Run(Get("-q -m mirror --max-files 2 -c 3 --timeout 7 --proxy-password pw -X pdf", Target())), 0)
        << Err;
    TDownloadProject project;
    project.LoadFromFile(QuickProject(Caption()));
    EXPECT_EQ(project.ProjectMode, pmMirror);
    EXPECT_TRUE(project.UseMaxFileCount);
    EXPECT_EQ(project.MaxFileCount, 2);
    EXPECT_EQ(project.ExcludeList, std::vector<std::string>{"pdf"});
    std::string ini = ReadWholeFile(Home() + "/HttpVorlin.ini");
    EXPECT_THAT(ini, HasSubstr("NumberOfThreads=3\n"));
    EXPECT_THAT(ini, HasSubstr("TimeOut-Length=7\n"));
    EXPECT_THAT(ini, Not(HasSubstr("=pw\n")));

    // A run without options keeps them; one with options changes only those.
    ASSERT_EQ(Run("run -q --home '" + Home() + "' --scope server '" + QuickProject(Caption()) + "'"), 0) << Err;
    TDownloadProject again;
    again.LoadFromFile(QuickProject(Caption()));
    EXPECT_EQ(again.ProjectMode, pmMirror);
    EXPECT_EQ(again.MaxFileCount, 2);
    EXPECT_EQ(again.ScopeMode, smStayOnServer);
    EXPECT_THAT(ReadWholeFile(Home() + "/HttpVorlin.ini"), HasSubstr("NumberOfThreads=3\n"));
}

TEST_F(GetRunCommand, ExitStatusTellsBadArgumentsFromFailedRuns) {
    EXPECT_EQ(Run(Get("-c 40", Target())), 2);
    EXPECT_THAT(Err, HasSubstr("--connections expects a whole number from 1 to 32, not '40'"));
    EXPECT_EQ(Run("get --home '" + Home() + "'"), 2);
    EXPECT_EQ(Run("run --home '" + Home() + "' --mode nonsense x.prj"), 2);
    EXPECT_FALSE(FileExists(Home() + "/HttpVorlin.ini")) << "refused options change nothing";

    EXPECT_EQ(Run("run --home '" + Home() + "' '" + FTemp.Path() + "missing.prj'"), 1);
    // Nothing answers on port 1.
    EXPECT_EQ(Run("get -q --tries 1 --home '" + Home() + "' http://127.0.0.1:1/ '" + Target() + "'"), 1);
    EXPECT_THAT(Err, HasSubstr("Connection refused"));

    EXPECT_EQ(Run("get --help"), 0);
    EXPECT_THAT(Out, HasSubstr("--exclude-ext LIST"));
}

// "ann:pw" in Basic authentication.
constexpr const char* kVaultAuthorization = "Basic YW5uOnB3";

class ProtectedSite : public GetRunCommand {
protected:
    void SetUp() override {
        site.Route("/", TSiteServer::Page("<a href=\"vault/\">vault</a>"));
        site.Route("/vault/", [](const TSiteRequest& request, int) {
            if (request.Header("Authorization") == kVaultAuthorization) return TSiteServer::Page("the vault");
            return TSiteServer::Status(401, "Unauthorized", {"WWW-Authenticate: Basic realm=\"Vault\""});
        });
    }
};

TEST_F(ProtectedSite, WithoutATerminalTheQuestionForCredentialsIsCancelled) {
    ASSERT_EQ(Run(Get("-q", Target())), 0) << Err;
    EXPECT_TRUE(FileExists(Target() + HostDir() + "index.html"));
    EXPECT_FALSE(FileExists(Target() + HostDir() + "vault/index.html"));
}

TEST_F(ProtectedSite, CredentialsGivenWithTheOptionsReachTheProtectedArea) {
    ASSERT_EQ(Run(Get("-q --user ann --password pw", Target())), 0) << Err;
    EXPECT_EQ(ReadWholeFile(Target() + HostDir() + "vault/index.html"), "the vault");
}

TEST_F(GetRunCommand, WithoutATerminalNothingMoreIsSelected) {
    // Half-automatic: only the start page, as no link of it is chosen.
    ASSERT_EQ(Run(Get("-q -m half", Target())), 0) << Err;
    EXPECT_TRUE(FileExists(Target() + HostDir() + "index.html"));
    EXPECT_FALSE(FileExists(Target() + HostDir() + "i.gif"));
    // Structure mode ends normally after the pages, with no file chosen.
    ASSERT_EQ(Run(Get("-q -m structure", Target() + "2")), 0) << Err;
    EXPECT_FALSE(FileExists(Target() + "2" + HostDir() + "i.gif"));
}

} // namespace
