// `vorlin get` and `vorlin run` as programs over a temporary program
// directory, against a site served by the test process on 127.0.0.1.
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "tests/cli/ProgramTestSupport.h"

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class GetRunCommand : public TProgramTest {
protected:
    void SetUp() override {
        site.Route("/", TSiteServer::Page("<a href=\"a.html\">a</a><img src=\"i.gif\">"));
        site.Route("/a.html", TSiteServer::Page("<a href=\"/\">home</a>"));
        site.Route("/i.gif", TSiteServer::File("GIF89a", "image/gif"));
    }
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

TEST_F(GetRunCommand, ASecondAddressIsNotTakenForTheDirectory) {
    // `vorlin get URL1 URL2` once stored the site under ./http:/...
    EXPECT_EQ(Run("get --home '" + Home() + "' " + site.Url("/") + " " + site.Url("/a.html")), 2);
    EXPECT_THAT(Err, HasSubstr("'" + site.Url("/a.html") + "' is an address, not a directory"));
    EXPECT_THAT(Err, HasSubstr("-i FILE"));
    EXPECT_FALSE(std::filesystem::exists(FTemp.Path() + "http:")) << "nothing stored";
    EXPECT_FALSE(std::filesystem::exists(Home())) << "no project made";
    EXPECT_TRUE(site.Requests().empty());

    // The wrong number of arguments says what is wrong, not the whole help.
    EXPECT_EQ(Run("get --home '" + Home() + "'"), 2);
    EXPECT_THAT(Err, HasSubstr("no URL given"));
    EXPECT_EQ(Run("get --home '" + Home() + "' a b c"), 2);
    EXPECT_THAT(Err, HasSubstr("too many arguments"));
    EXPECT_THAT(Err, Not(HasSubstr("--exclude-ext"))) << Err;
    EXPECT_EQ(Run("run --home '" + Home() + "'"), 2);
    EXPECT_THAT(Err, HasSubstr("no project given"));
    // An unknown option points to the help.
    EXPECT_EQ(Run("get --frobnicate " + site.Url("/")), 2);
    EXPECT_THAT(Err, HasSubstr("unknown option '--frobnicate'; see 'vorlin get --help'"));
    EXPECT_EQ(Run("run -Z x"), 2);
    EXPECT_THAT(Err, HasSubstr("see 'vorlin run --help'"));
}

class UpdatableSite : public TProgramTest {
protected:
    // Every file carries a date and answers "not modified" when asked with one.
    void SetUp() override {
        Serve("/", "text/html", "<a href=\"a.html\">a</a><img src=\"i.gif\">");
        Serve("/a.html", "text/html", "<a href=\"/\">home</a>");
        Serve("/i.gif", "image/gif", "GIF89a");
    }
    void Serve(const std::string& path, const std::string& type, const std::string& body) {
        site.Route(path, [type, body](const TSiteRequest& request, int) {
            if (!request.Header("If-Modified-Since").empty()) return TSiteServer::Status(304, "Not Modified");
            return TSiteServer::File(body, type, {"Last-Modified: Tue, 15 Nov 1994 08:12:31 GMT"});
        });
    }
    int QuickProjects() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Home() + "/Projects/Quick Projects"))
            count += entry.path().extension() == ".prj";
        return count;
    }
};

TEST_F(UpdatableSite, GetTwiceRunsTheSameProjectAndFoldsTheUnchangedFiles) {
    ASSERT_EQ(Run(Get("", Target())), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("Project /Quick Projects/" + Caption() + ": " + site.Url("/") + "\n  a new project\n"));
    EXPECT_THAT(Out, HasSubstr("Done: 3 new, 0 updated, 0 unchanged, 0 filtered out, 0 failed; 65 B in "));
    // The copy bears the server's dates.
    EXPECT_EQ(std::filesystem::last_write_time(Target() + HostDir() + "i.gif"),
              std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(784887151))));

    // The same address again: the same project, updated; no line per file.
    const size_t asked = site.Requests().size();
    ASSERT_EQ(Run(Get("", Target())), 0) << Err;
    EXPECT_EQ(QuickProjects(), 1);
    EXPECT_THAT(Out, HasSubstr("has this address, last downloaded "));
    EXPECT_THAT(Out, HasSubstr("Done: 0 new, 0 updated, 3 unchanged, 0 filtered out, 0 failed; 0 B in "));
    EXPECT_THAT(Out, Not(HasSubstr("No update needed"))) << Out;
    EXPECT_THAT(Out, ::testing::EndsWith(QuickProject(Caption()) + "\n"));
    // Every file is asked with its date; robots.txt is read afresh each run.
    for (size_t i = asked; i < site.Requests().size(); ++i)
        if (site.Requests()[i].Method == "GET" && site.Requests()[i].Path != "/robots.txt") {
            EXPECT_FALSE(site.Requests()[i].Header("If-Modified-Since").empty()) << site.Requests()[i].Raw;
        }
    // With -v the unchanged files are listed; without DIR the project of
    // the address is found all the same.
    ASSERT_EQ(Run("get -v --home '" + Home() + "' " + site.Url("/")), 0) << Err;
    EXPECT_EQ(QuickProjects(), 1);
    EXPECT_THAT(Out, HasSubstr("No update needed for " + site.Url("/i.gif")));
    // --new makes another.
    ASSERT_EQ(Run(Get("-q --new", Target())), 0) << Err;
    EXPECT_EQ(Out, QuickProject(Caption() + " (2)") + "\n");
    EXPECT_EQ(QuickProjects(), 2);
}

TEST_F(UpdatableSite, TheRunSpeaksEnglishUnlessALanguageIsChosen) {
    ASSERT_EQ(Run(Get("", Target())), 0) << Err;
    EXPECT_THAT(Out, HasSubstr(site.Url("/i.gif") + " (6 bytes) downloaded\n"));
    EXPECT_THAT(Out + Err, Not(HasSubstr("heruntergeladen")));

    // German, kept in the settings for the next run; the summary still counts.
    ASSERT_EQ(Run(Get("-v --language Deutsch", Target())), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("Kein Update benötigt für " + site.Url("/i.gif")));
    EXPECT_THAT(Out, HasSubstr("Done: 0 new, 0 updated, 3 unchanged, 0 filtered out, 0 failed"));
    ASSERT_EQ(Run(Get("-v", Target())), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("Kein Update benötigt für "));

    // A language that is not there is refused and not kept.
    EXPECT_EQ(Run(Get("--language Klingon", Target())), 2);
    EXPECT_THAT(Err, HasSubstr("Can not load language file!"));
    EXPECT_THAT(Err, HasSubstr("languages: Deutsch, English"));
    ASSERT_EQ(Run("run -v --home '" + Home() + "' '" + QuickProject(Caption()) + "'"), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("Kein Update benötigt für "));
    ASSERT_EQ(Run("run -v --language English --home '" + Home() + "' '" + QuickProject(Caption()) + "'"), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("No update needed for "));
}

TEST_F(UpdatableSite, RunTakesTheNameThatListShows) {
    ASSERT_EQ(Run(Get("-q", Target())), 0) << Err;
    ASSERT_EQ(Run("list --home '" + Home() + "'"), 0) << Err;
    const std::string name = "/Quick Projects/" + Caption();
    EXPECT_THAT(Out, HasSubstr("\n" + name + "  " + site.Url("/") + "  " + Target() + "/  "));
    EXPECT_THAT(Out, HasSubstr("65 B\n"));
    EXPECT_THAT(Out, HasSubstr("\n/Templates/\n"));

    ASSERT_EQ(Run("run --home '" + Home() + "' '" + name + "'"), 0) << Err;
    EXPECT_THAT(Out, HasSubstr("3 unchanged"));
    ASSERT_EQ(Run("run -q --home '" + Home() + "' " + Caption()), 0) << Err;
    EXPECT_EQ(Run("run --home '" + Home() + "' nothing-like-it"), 1);
    EXPECT_THAT(Err, HasSubstr("no project 'nothing-like-it'"));
}

TEST_F(UpdatableSite, AnInputFileRunsAProjectForEachAddress) {
    Serve("/one/", "text/html", "<a href=\"x.gif\">x</a>");
    Serve("/one/x.gif", "image/gif", "GIF89a-one");
    Serve("/two/", "text/html", "two");
    WriteWholeFile(FTemp.Path() + "list", "# two sites\n" + site.Url("/one/") + "\n\n  " + site.Url("/two/") + "  \n");
    ASSERT_EQ(Run("get -q --home '" + Home() + "' -i '" + FTemp.Path() + "list' '" + Target() + "'"), 0) << Err;
    EXPECT_EQ(Out, QuickProject(Caption()) + "\n" + QuickProject(Caption() + " (2)") + "\n");
    EXPECT_EQ(ReadWholeFile(Target() + HostDir() + "one/x.gif"), "GIF89a-one");
    EXPECT_EQ(ReadWholeFile(Target() + HostDir() + "two/index.html"), "two");

    // From standard input: the projects of the addresses run again.
    ASSERT_EQ(Run("get -q --home '" + Home() + "' -i - '" + Target() + "'", "cat '" + FTemp.Path() + "list'"), 0)
        << Err;
    EXPECT_EQ(QuickProjects(), 2);
    // A line without an address stops it before anything runs.
    const size_t asked = site.Requests().size();
    WriteWholeFile(FTemp.Path() + "bad", site.Url("/one/") + "\nhttp:///nohost\n");
    EXPECT_EQ(Run("get --home '" + Home() + "' --input-file='" + FTemp.Path() + "bad'"), 2);
    EXPECT_THAT(Err, HasSubstr("bad line 2: 'http:///nohost' names no host"));
    EXPECT_EQ(site.Requests().size(), asked);
    EXPECT_EQ(Run("get --home '" + Home() + "' -i '" + FTemp.Path() + "list' " + site.Url("/")), 2);
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
    // The terminal says which address needed them and how to give them.
    EXPECT_THAT(Err, HasSubstr(site.Url("/vault/") + " needs a user name and password (realm \"Vault\")"));
    EXPECT_THAT(Err, HasSubstr("--user NAME --password PASSWORD"));
}

// A target on a small tmpfs that fills up: the run stops in order, says why
// and ends with status 1. Mounted in a mount namespace of its own (so
// nothing stays mounted), where the machine allows it.
TEST_F(GetRunCommand, AFullDiskStopsTheRunWithStatusOne) {
    std::string links;
    for (int i = 0; i < 12; ++i) {
        links += "<img src=\"f" + std::to_string(i) + ".gif\">";
        site.Route("/f" + std::to_string(i) + ".gif", TSiteServer::File(std::string(30000, 'f'), "image/gif"));
    }
    site.Route("/", TSiteServer::Page(links));
    ForceDirectories(Target());
    const std::string mount = "unshare -m sh -c \"mount -t tmpfs -o size=128k tmpfs '" + Target() + "'";
    if (RunShell(mount + "\"") != 0) GTEST_SKIP() << "no tmpfs can be mounted here (the engine's tests simulate a full disk)";
    EXPECT_EQ(RunShell(mount + " && exec " + Program() + " " + Get("-q -c 1", Target()) + "\""), 1) << Err;
    EXPECT_THAT(Err, HasSubstr("The download stops: Cannot write to"));
    EXPECT_THAT(Err, HasSubstr("No space left on device"));
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

namespace {

// A site behind a login cookie, with a robots.txt: what `get` is told about
// manners reaches the run and stays with the project.
class PoliteSite : public TProgramTest {
protected:
    void SetUp() override {
        site.Route("/robots.txt", TSiteServer::File("User-agent: *\nDisallow: /private/\n", "text/plain"));
        site.Route("/", TSiteServer::Page("<a href=\"members.html\">m</a><a href=\"private/p.html\">p</a>"));
        site.Route("/private/p.html", TSiteServer::Page("private"));
        site.Route("/members.html", [](const TSiteRequest& request, int) {
            if (request.Header("Cookie").find("login=secret") == std::string::npos)
                return TSiteServer::Status(403, "Forbidden");
            return TSiteServer::Page("members", {"Set-Cookie: seen=1; Max-Age=3600"});
        });
    }
};

TEST_F(PoliteSite, RobotsCookiesAndWaitsFromTheCommandLine) {
    const std::string in = FTemp.Path() + "in.txt", out = FTemp.Path() + "out.txt";
    WriteWholeFile(in, "# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\tlogin\tsecret\n");
    ASSERT_EQ(Run(Get("--load-cookies '" + in + "' --save-cookies '" + out + "' --wait 0.2", Target())), 0) << Err;
    EXPECT_TRUE(FileExists(Target() + HostDir() + "members.html"));
    EXPECT_FALSE(FileExists(Target() + HostDir() + "private/p.html"));
    EXPECT_TRUE(site.RequestsOf("/private/p.html").empty());
    EXPECT_THAT(Out, HasSubstr("Filtered out by robots.txt (Disallow: /private/): " + site.Url("/private/p.html")));
    EXPECT_THAT(Out, HasSubstr("1 filtered out"));
    EXPECT_THAT(ReadWholeFile(out), HasSubstr("\tseen\t1"));
    EXPECT_EQ(std::filesystem::status(out).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // The next run of the project keeps the settings; --no-robots lifts the refusal.
    ASSERT_EQ(Run("run -q --home '" + Home() + "' --no-robots '" + QuickProject(Caption()) + "'"), 0) << Err;
    EXPECT_EQ(site.RequestsOf("/private/p.html").size(), 1u);
    TDownloadProject project;
    project.LoadFromFile(QuickProject(Caption()));
    EXPECT_FALSE(project.Manners.ObeyRobots);
    EXPECT_DOUBLE_EQ(project.Manners.WaitSeconds, 0.2);
    EXPECT_EQ(project.Manners.LoadCookies, in);
}

} // namespace
