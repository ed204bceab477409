#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;

namespace {

// Two filter and download plugins, "one" loaded before "two" (the loader
// keeps the reverse of the folder listing, so the order is read back).
class PluginVotesTest : public TPluginHostFixture {
protected:
    void Start(const std::string& oneConfig, const std::string& twoConfig) {
        Install("one", "caps=6\n" + oneConfig);
        Install("two", "caps=6\n" + twoConfig);
        TPluginHostFixture::Start();
        FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
        First = FSystem.PluginNames()[0];
        Second = FSystem.PluginNames()[1];
        FProject.Plugins = &FSystem.Votes();
    }
    void Configure(const std::string& name, const std::string& config) {
        Kit(name).Configure("name=" + name + "\ncaps=6\n" + config);
    }

    std::string First, Second;
    TDownloadProject FProject;
    TDownloadLink FLink{&FProject};
};

TEST(PluginVotes, WithoutPluginsTheLinkDecidesAlone) {
    TTempDir home;
    TPluginSystem none(home.Path());
    TDownloadProject project;
    TDownloadLink link(&project);
    ILinkPluginVotes& votes = none.Votes();
    EXPECT_FALSE(votes.ForceLink(project, link));
    EXPECT_TRUE(votes.ConfirmOutside(project, link));
    EXPECT_TRUE(votes.FilterBeforeRequest(project, link));
    EXPECT_TRUE(votes.FilterAfterHeader(project, link));
    EXPECT_FALSE(votes.TakeLink(project, link));
}

TEST_F(PluginVotesTest, OrVotesStopAtTheFirstYes) {
    Start("force=1\ntake=1", "force=1\ntake=1");
    Kit(First).ClearLog();
    Kit(Second).ClearLog();
    EXPECT_TRUE(FSystem.Votes().ForceLink(FProject, FLink));
    EXPECT_TRUE(FSystem.Votes().TakeLink(FProject, FLink));
    EXPECT_EQ(CallCount(First, "ForceLink"), 1);
    EXPECT_EQ(CallCount(Second, "ForceLink"), 0);
    EXPECT_EQ(CallCount(Second, "TakeLink"), 0);

    Configure(First, "force=0\ntake=0");
    Configure(Second, "force=0\ntake=0");
    EXPECT_FALSE(FSystem.Votes().ForceLink(FProject, FLink));
    EXPECT_FALSE(FSystem.Votes().TakeLink(FProject, FLink));
}

TEST_F(PluginVotesTest, AndVotesStopAtTheFirstNo) {
    Start("", "");
    Configure(First, "outside=0\nbefore=0\nafter=0");
    Kit(Second).ClearLog();
    EXPECT_FALSE(FSystem.Votes().ConfirmOutside(FProject, FLink));
    EXPECT_FALSE(FSystem.Votes().FilterBeforeRequest(FProject, FLink));
    EXPECT_FALSE(FSystem.Votes().FilterAfterHeader(FProject, FLink));
    EXPECT_EQ(Kit(Second).Log(), "");

    Configure(First, "");
    EXPECT_TRUE(FSystem.Votes().ConfirmOutside(FProject, FLink));
    EXPECT_TRUE(FSystem.Votes().FilterBeforeRequest(FProject, FLink));
    EXPECT_TRUE(FSystem.Votes().FilterAfterHeader(FProject, FLink));
}

TEST_F(PluginVotesTest, DisabledPluginsVoteOnlyOnForcingAndScope) {
    Start("active=0\nforce=1\noutside=0\nbefore=0\nafter=0\ntake=1", "");  // "one" is off
    ILinkPluginVotes& votes = FSystem.Votes();
    // Asked enabled or not.
    EXPECT_TRUE(votes.ForceLink(FProject, FLink));
    EXPECT_FALSE(votes.ConfirmOutside(FProject, FLink));
    // Only enabled plugins.
    EXPECT_TRUE(votes.FilterBeforeRequest(FProject, FLink));
    EXPECT_TRUE(votes.FilterAfterHeader(FProject, FLink));
    EXPECT_FALSE(votes.TakeLink(FProject, FLink));
    EXPECT_EQ(CallCount("one", "FilterBeforeRequest"), 0);
    EXPECT_EQ(CallCount("one", "TakeLink"), 0);
    // After the run no plugin has settings: none is enabled.
    FSystem.ClearSettings();
    Configure("two", "before=0");
    EXPECT_TRUE(votes.FilterBeforeRequest(FProject, FLink));
}

TEST_F(PluginVotesTest, AFailureResultRaisesAtTheCallSite) {
    Start("fail=GetSettings", "");
    EXPECT_THROW(FSystem.Votes().FilterAfterHeader(FProject, FLink), EPluginError);
    Configure("one", "");
    Configure(First, "fail=FilterAfterHeader");
    try {
        FSystem.Votes().FilterAfterHeader(FProject, FLink);
        ADD_FAILURE() << "no error";
    } catch (const EPluginError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("FilterAfterHeader"));
        EXPECT_THAT(e.Message(), HasSubstr(First));
    }
}

TEST_F(PluginVotesTest, APluginAskingTheLinkDuringItsOwnVoteDoesNotRecurse) {
    Start("askforced=1", "");
    // The link's forced state asks the plugins, whose vote reads the link's
    // forced state again: the inner question gets the stored flag only.
    EXPECT_FALSE(FLink.IsForced());
    EXPECT_THAT(LogOf("one"), HasSubstr("ForceLink inner 0"));
    FLink.Forced = true;
    EXPECT_TRUE(FLink.IsForced());
}

} // namespace
