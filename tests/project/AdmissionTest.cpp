#include "project/DownloadLink.h"

#include "links/UrlHelpers.h"
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "tests/project/FakeVotes.h"

#include <gtest/gtest.h>

using namespace vorlin;

namespace {

// Records every phase it is run for, and may force or exclude the link.
class TFakeRules : public IRuleList {
public:
    std::vector<int> Phases;
    bool SetForced = false, SetExcluded = false;
    void RunPhase(TDownloadLink& link, TDownloadProject&, int phase) override {
        Phases.push_back(phase);
        if (SetForced) link.Forced = true;
        if (SetExcluded) link.Excluded = true;
    }
};

class Admission : public ::testing::Test {
protected:
    Admission() : Link(&Project) {
        Project.StartServer = "http://h/";
        Project.StartDomain = "h";
        Link.SetServer("http://h/");
        Link.Path = "dir/page.html";
        Link.ScopeDir = "dir/";
        Link.LocalFileName = "dir\\page.html";
        Link.LinkType = ltPage;
        Link.MimeType = "text/html";
    }
    TDownloadProject Project;
    TDownloadLink Link;
};

} // namespace

TEST_F(Admission, ScopeByDirectoryServerAndDomain) {
    EXPECT_FALSE(Link.IsOutOfScope());
    Link.Path = "other/page.html";
    EXPECT_TRUE(Link.IsOutOfScope());
    Project.ScopeMode = smStayOnServer;
    EXPECT_FALSE(Link.IsOutOfScope());
    Link.SetServer("http://H/");  // exact, case-sensitive
    EXPECT_TRUE(Link.IsOutOfScope());

    Project.ScopeMode = smStayInDomain;
    Project.StartDomain = "example.com";
    Link.SetServer("http://www.example.com/");
    EXPECT_FALSE(Link.IsOutOfScope());
    Link.SetServer("http://www.example.org/");
    EXPECT_TRUE(Link.IsOutOfScope());

    Project.ScopeMode = static_cast<TScopeMode>(7);
    Link.SetServer("http://h/");
    EXPECT_TRUE(Link.IsOutOfScope());
    Link.BaseResolved = true;
    EXPECT_FALSE(Link.IsOutOfScope());
}

// http and https of one host are one server (whatever their ports, which
// belong to their schemes); a port of the same scheme, or another host, is not.
TEST_F(Admission, BothSchemesOfAHostAreOneServerForEveryScope) {
    struct TCase {
        TScopeMode Mode;
        const char* Start;
        const char* Server;
        bool Inside;
    };
    const TCase cases[] = {
        {smStayInDirectory, "http://h/", "https://h/", true},
        {smStayInDirectory, "https://h:8443/", "http://h:8080/", true},
        {smStayOnServer, "https://h/", "http://h/", true},
        {smStayOnServer, "http://h:8080/", "http://h:9090/", false},
        {smStayOnServer, "http://h/", "https://H/", false},
        {smStayOnServer, "http://h/", "ftp://h/", false},
        {smStayInDomain, "https://www.example.com:8443/", "http://cdn.example.com:8080/", true},
        {smStayInDomain, "https://www.example.com/", "http://www.example.org/", false},
    };
    for (const TCase& c : cases) {
        Project.ScopeMode = c.Mode;
        Project.StartServer = c.Start;
        Project.StartDomain = DomainOfRoot(c.Start);
        Link.SetServer(c.Server);
        EXPECT_EQ(Link.IsOutOfScope(), !c.Inside) << c.Start << " " << c.Server;
    }
}

TEST_F(Admission, PluginsConfirmOutsideAndForce) {
    TFakeVotes votes;
    Project.Plugins = &votes;
    EXPECT_FALSE(Link.IsOutOfScope());
    EXPECT_TRUE(votes.Asked.empty());  // inside: nobody is asked
    Link.Path = "elsewhere.html";
    votes.Outside = false;
    EXPECT_FALSE(Link.IsOutOfScope());
    EXPECT_EQ(votes.Asked, std::vector<std::string>{"outside"});

    votes.Asked.clear();
    EXPECT_FALSE(Link.IsForced());
    votes.Force = true;
    EXPECT_TRUE(Link.IsForced());
    EXPECT_EQ(votes.Asked, (std::vector<std::string>{"force", "force"}));
    votes.Asked.clear();
    Link.Forced = true;
    EXPECT_TRUE(Link.IsForced());
    EXPECT_TRUE(votes.Asked.empty());
}

TEST_F(Admission, NoPluginsMeansOutsideIsOutsideAndNothingIsForced) {
    ILinkPluginVotes& none = NoPluginVotes();
    EXPECT_EQ(Project.Plugins, &none);
    EXPECT_FALSE(none.ForceLink(Project, Link));
    EXPECT_TRUE(none.ConfirmOutside(Project, Link));
    EXPECT_TRUE(none.FilterBeforeRequest(Project, Link));
    EXPECT_TRUE(none.FilterAfterHeader(Project, Link));
    EXPECT_FALSE(none.TakeLink(Project, Link));
    Link.Path = "elsewhere.html";
    EXPECT_TRUE(Link.IsOutOfScope());
    EXPECT_FALSE(Link.IsForced());
}

TEST_F(Admission, BeforeRequestModesAndScope) {
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.Invalid = true;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Link.Invalid = false;

    Project.ProjectMode = pmShowStructure;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.LinkType = ltSource;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.ProjectMode = pmHalfAutomatic;
    Link.LinkType = ltPage;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Link.Forced = true;  // only forced links pass
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.Forced = false;
    Project.ProjectMode = pmOfflineBrowse;

    Link.Path = "outside.html";
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.FollowExternalLinks = true;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Project.UseMaxExternalLevelCount = true;
    Project.MaxExternalLevelCount = 1;
    Link.ExternalLevel = 2;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    // External images load anyway when asked for; pages don't.
    Project.FollowExternalImages = true;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Link.LinkType = ltSource;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
}

TEST_F(Admission, BeforeRequestLimits) {
    Link.LinkType = ltBackground;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.DownloadBckgrds = true;
    EXPECT_TRUE(Link.AcceptBeforeRequest());

    // Level limit 0: the start page loads, its images don't.
    Project.UseMaxLevelCount = true;
    Project.MaxLevelCount = 0;
    Link.LinkType = ltPage;
    Link.Level = 0;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.LinkType = ltSource;
    Link.Level = 1;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    // At the deepest level only pages stop.
    Project.MaxLevelCount = 2;
    Link.Level = 2;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.LinkType = ltPage;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.UseMaxLevelCount = false;

    Project.UseMaxFileCount = true;
    Project.MaxFileCount = 1;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    TDownloadLink done(&Project);
    Project.Downloaded->Add(&done);
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.Downloaded->Clear();
    Project.UseMaxFileCount = false;

    Link.LinkType = ltScriptLink;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Project.JavaScriptMode = jsIgnore;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.JavaScriptMode = jsDelete;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
}

TEST_F(Admission, ExcludedExtensionsWithAndWithoutTheDot) {
    Project.ExcludeList = {"zip"};
    Link.LocalFileName = "dir\\a.zip";
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Project.ExcludeList = {".zip"};
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    Link.LocalFileName = "dir\\a.ZIP";  // case-sensitive
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.LocalFileName = "dir.zip\\a";  // the extension is the file name's
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    // A blank entry excludes nothing (not every name without extension).
    Project.ExcludeList = {""};
    Link.LocalFileName = "dir\\";
    EXPECT_TRUE(Link.AcceptBeforeRequest());
}

TEST_F(Admission, RulesRunInTheirPhaseAndForcedBeatsExcluded) {
    TFakeRules rules;
    Project.Rules = &rules;
    Link.Invalid = true;  // every test runs even after a refusal
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    EXPECT_EQ(rules.Phases, (std::vector<int>{0, 1}));

    rules.SetForced = true;
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    Link.Forced = false;
    rules.SetForced = false;
    rules.SetExcluded = true;
    Link.Invalid = false;
    EXPECT_FALSE(Link.AcceptBeforeRequest());
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    Link.Forced = true;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
}

TEST_F(Admission, PluginVotesReachTheChecks) {
    TFakeVotes votes;
    Project.Plugins = &votes;
    Link.Path = "outside.html";
    votes.Outside = false;  // a plugin says the link is inside after all
    EXPECT_TRUE(Link.AcceptBeforeRequest());
    EXPECT_EQ(votes.Asked, (std::vector<std::string>{"outside", "force"}));
    votes.Force = true;
    Link.Invalid = true;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
}

TEST_F(Admission, AfterHeadersSizesAndModes) {
    Link.Size = 5000;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.ProjectMode = pmShowStructure;
    Link.MimeType = "image/gif";
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    Project.ProjectMode = pmOfflineBrowse;

    Project.UseMaxFileSize = true;
    Project.MaxFileSize = 4;  // KB
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    Project.MaxFileSize = 5;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.UseMaxFileSize = false;

    Project.UseMinFileSize = true;
    Project.MinFileSize = 5;
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    Link.MimeType = "text/html";  // pages are never too small
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.UseMinFileSize = false;

    Project.UseMaxProjSize = true;
    Project.MaxProjSize = 10;  // 10240 bytes per run
    Project.RunSize = 5240;
    EXPECT_FALSE(Link.AcceptAfterHeaders());  // 5000 + 5240 reaches the limit
    Project.RunSize = 5239;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.MaxProjSize = 3000000;  // KB: needs 64-bit arithmetic
    Project.RunSize = 3000000ll * 1024 - 5001;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.UseMaxProjSize = false;

    Project.UseMaxFileCount = true;
    Project.MaxFileCount = 3;
    Project.DownloadedCount = 3;
    EXPECT_FALSE(Link.AcceptAfterHeaders());
    Project.DownloadedCount = 2;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    Project.UseMaxFileCount = false;

    Project.UseMinDriveSpace = true;
    Project.TargetDir = "/tmp/";
    Project.MinDriveSpace = 1;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
    int64_t freeKb = DiskFree("/tmp/") / 1024;
    ASSERT_GT(freeKb, 10);
    if (freeKb < INT32_MAX) {
        Project.MinDriveSpace = static_cast<int32_t>(freeKb);  // more than is left after the file
        EXPECT_FALSE(Link.AcceptAfterHeaders());
    }
    // The target directory need not exist yet: its nearest parent counts.
    Project.TargetDir = "/tmp/no-such-vorlin-dir/below/";
    Project.MinDriveSpace = 1;
    EXPECT_TRUE(Link.AcceptAfterHeaders());
}
