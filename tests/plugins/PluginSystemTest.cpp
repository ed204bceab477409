#include "rules/ApplicationInterface.h"
#include "rules/FilterRegistry.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/PluginAction.h"
#include "rules/PakArchive.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class PluginSystemTest : public TPluginHostFixture {
protected:
    template <typename T> std::vector<std::string> Names(const std::vector<TPluginCapability<T>>& list) {
        std::vector<std::string> names;
        for (auto& c : list) names.push_back(c.Owner->Name);
        return names;
    }
};

// The order the loader must produce: the folder listing with each subfolder's
// files in its place, walked backwards.
void ListRecursively(const std::string& dir, std::vector<std::string>& out) {
    for (auto& name : ListDirectory(dir)) {
        if (DirectoryExists(dir + name))
            ListRecursively(dir + name + "/", out);
        else
            out.push_back(dir + name);
    }
}

TEST_F(PluginSystemTest, LoadsExactSuffixOnlyInReverseListingOrder) {
    InstallPlugin(FHome.Path(), "a.so");
    InstallPlugin(FHome.Path(), "b.so");
    InstallPlugin(FHome.Path(), "sub/c.so");
    InstallPlugin(FHome.Path(), "sub/deeper/d.so");
    InstallPlugin(FHome.Path(), "upper.SO");
    InstallPlugin(FHome.Path(), "versioned.so.1");
    WriteFile(FHome.Path() + "Plugins/readme.txt", "not a plugin");
    ForceDirectories(FHome.Path() + "Plugins/folder.so");
    FSystem.Load();

    std::vector<std::string> listing, expected;
    ListRecursively(FHome.Path() + "Plugins/", listing);
    for (auto it = listing.rbegin(); it != listing.rend(); ++it)
        if (ExtractFileExt(*it) == ".so") expected.push_back(ExtractFileName(*it).substr(0, ExtractFileName(*it).size() - 3));
    EXPECT_EQ(FSystem.PluginNames(), expected);
    std::vector<std::string> sorted = FSystem.PluginNames();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"a", "b", "c", "d"}));
    for (auto& p : FSystem.Plugins()) EXPECT_TRUE(p->Loaded) << p->FileName;
    EXPECT_EQ(Plugin("c").FileName, FHome.Path() + "Plugins/sub/c.so");
}

TEST_F(PluginSystemTest, NoPluginFolderMeansNoPlugins) {
    FSystem.Load();
    FSystem.Initialize();
    EXPECT_EQ(FSystem.Count(), 0);
    EXPECT_TRUE(FErrors.empty());
}

TEST_F(PluginSystemTest, CapabilitiesFillTheListsInLoadOrder) {
    Install("filterhtml", "caps=10");
    Install("parser", "caps=1");
    Install("download", "caps=4");
    Start();
    EXPECT_TRUE(FErrors.empty());

    EXPECT_EQ(Names(FSystem.FilterPlugins()), std::vector<std::string>{"filterhtml"});
    EXPECT_EQ(Names(FSystem.HTMLParserPlugins()), std::vector<std::string>{"filterhtml"});
    EXPECT_EQ(Names(FSystem.ParserPlugins()), std::vector<std::string>{"parser"});
    EXPECT_EQ(Names(FSystem.DownloadPlugins()), std::vector<std::string>{"download"});
    // Asked once per capability bit.
    EXPECT_EQ(CallCount("filterhtml", "GetCapabilities"), 4);
    EXPECT_THAT(LogOf("filterhtml"), HasSubstr("InitPlugin\nfilterhtml: GetPluginInterFace"));
    EXPECT_TRUE(Plugin("parser").Initialized);
    EXPECT_EQ(TPluginSystem::CapabilitiesOf(Plugin("filterhtml")), 10);
    EXPECT_EQ(TPluginSystem::NameOf(Plugin("download")), "download");
}

TEST_F(PluginSystemTest, DeinitialisingReleasesEveryReference) {
    Install("all", "actions=2");
    Install("refused", "init=0");
    Start();
    EXPECT_FALSE(Plugin("refused").Initialized);
    // A plugin whose InitPlugin said no still takes part.
    EXPECT_EQ(FSystem.FilterPlugins().size(), 2u);
    ASSERT_EQ(FilterActionPluginCount(), 1);
    {
        // Every new rule gets the provider's actions after the built-in ones.
        THTTPVorlinRule rule;
        int pluginActions = 0;
        for (int i = 0; i < rule.ActionCount(); ++i)
            if (dynamic_cast<TPluginAction*>(&rule.Actions(i))) ++pluginActions;
        EXPECT_EQ(pluginActions, 2);
        EXPECT_EQ(rule.Actions(rule.ActionCount() - 1).GetDescription(), "Testkit action 1");
    }
    EXPECT_EQ(FSystem.Application().RegisterActionProvider(nullptr), vorlin_sdk::E_POINTER);

    FSystem.Deinitialize();
    EXPECT_TRUE(FErrors.empty());
    EXPECT_TRUE(FSystem.ParserPlugins().empty());
    EXPECT_TRUE(FSystem.FilterPlugins().empty());
    EXPECT_TRUE(FSystem.DownloadPlugins().empty());
    EXPECT_TRUE(FSystem.HTMLParserPlugins().empty());
    EXPECT_EQ(FilterActionPluginCount(), 0);
    EXPECT_THAT(LogOf("all"), HasSubstr("DeInitPlugin"));
    EXPECT_EQ(LiveOf("all"), 0);
    EXPECT_EQ(LiveOf("refused"), 0);
}

TEST_F(PluginSystemTest, MissingDeInitPluginIsReportedAndTheNextPluginGoesOn) {
    Install("noexit", "", "testkit_nodeinit");
    Install("other");
    Start();
    std::string path = Plugin("noexit").FileName;
    EXPECT_TRUE(FErrors.empty());
    EXPECT_TRUE(Plugin("noexit").Initialized);
    FSystem.Deinitialize();
    EXPECT_EQ(FErrors, std::vector<std::string>{"Funktion DeInitPlugin wurde nicht vom Plugin " + path +
                                                " exportiert oder konnte nicht geladen werden"});
    EXPECT_THAT(LogOf("other"), HasSubstr("DeInitPlugin"));
    EXPECT_EQ(LiveOf("noexit"), 0);
}

TEST_F(PluginSystemTest, MissingInitPluginOrUnloadableLibraryLeavesTheOthersAlone) {
    Install("noinit", "", "testkit_noinit");
    std::string noInit = FHome.Path() + "Plugins/noinit.so";
    std::string broken = FHome.Path() + "Plugins/broken.so";
    WriteFile(broken, "garbage");
    Install("good", "caps=2");
    Start();
    EXPECT_FALSE(Plugin("broken").Loaded);
    std::vector<std::string> errors = FErrors;
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "Funktion InitPlugin wurde nicht vom Plugin " + broken +
                              " exportiert oder konnte nicht geladen werden",
                          "Funktion InitPlugin wurde nicht vom Plugin " + noInit +
                              " exportiert oder konnte nicht geladen werden"}));
    EXPECT_EQ(Names(FSystem.FilterPlugins()), std::vector<std::string>{"good"});
    EXPECT_THAT(LogOf("noinit"), Not(HasSubstr("GetPluginInterFace")));
}

TEST_F(PluginSystemTest, MisbehavingPluginObjectsAreReportedNotUsed) {
    Install("noobject", "nullout=GetPluginInterFace");
    Install("nullcast", "nullout=QueryInterface");
    Install("failcaps", "fail=GetCapabilities");
    Install("garbage", "badstrings=1\nnullout=GetName");
    Start();
    EXPECT_EQ(FErrors.size(), 3u);
    for (auto& e : FErrors) EXPECT_THAT(e, ::testing::AnyOf(HasSubstr("noobject"), HasSubstr("nullcast"), HasSubstr("failcaps")));
    EXPECT_EQ(Names(FSystem.FilterPlugins()), std::vector<std::string>{"garbage"});
    EXPECT_EQ(TPluginSystem::NameOf(Plugin("garbage")), "");  // a null name is the empty name
    EXPECT_THROW(TPluginSystem::CapabilitiesOf(Plugin("noobject")), EPluginError);
    FErrors.clear();
    FSystem.Deinitialize();
    EXPECT_TRUE(FErrors.empty());
    for (const char* name : {"noobject", "nullcast", "failcaps", "garbage"}) EXPECT_EQ(LiveOf(name), 0) << name;
}

TEST_F(PluginSystemTest, GarbageStringsArriveAsReplacementCharacters) {
    Install("bad", "badstrings=1");
    Start();
    // The unpaired surrogate in the middle of "bad" becomes U+FFFD.
    EXPECT_EQ(TPluginSystem::NameOf(Plugin("bad")), "b\xef\xbf\xbd" "ad");
}

TEST_F(PluginSystemTest, EachStepHappensOnceAndInOrder) {
    Install("once", "", "testkit_nodeinit");
    FSystem.Deinitialize();  // nothing initialised yet: nothing to do
    Start();
    FSystem.Load();
    FSystem.Initialize();
    EXPECT_EQ(FSystem.Count(), 1);
    EXPECT_EQ(CallCount("once", "InitPlugin"), 1);
    EXPECT_EQ(FSystem.State(), TPluginSystemState::psInitialized);
    FSystem.Deinitialize();
    FSystem.Deinitialize();
    FSystem.Initialize();  // no reloading
    EXPECT_EQ(FErrors.size(), 1u);  // the missing DeInitPlugin, reported once
    EXPECT_EQ(CallCount("once", "InitPlugin"), 1);
    EXPECT_EQ(FSystem.State(), TPluginSystemState::psDeinitialized);
}

TEST_F(PluginSystemTest, DestructionDeinitialisesWhatTheOwnerLeftInitialised) {
    std::vector<std::string> errors;
    {
        TPluginSystem system(FHome.Path(), [&](const std::string& m) { errors.push_back(m); });
        InstallPlugin(FHome.Path(), "noexit.so", "testkit_nodeinit");
        system.Load();
        system.Initialize();
    }
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0], HasSubstr("Funktion DeInitPlugin"));
}

// --- Settings around a download ----------------------------------------------

void StoreSettings(const std::string& archiveFile, const std::string& name, bool active) {
    TPakArchive archive(archiveFile);
    TMemoryStream m;
    const char data[3] = {'T', 'K', static_cast<char>(active)};
    m.WriteBuffer(data, 3);
    archive.Add(m, name);
}

TEST_F(PluginSystemTest, SettingsAreHandedOverFromTheProjectArchiveAndClearedAfter) {
    Install("off");
    Install("fresh");
    Start();
    std::string archive = FHome.Path() + "p.prj.plugins";
    StoreSettings(archive, "off", false);

    FSystem.HandOverSettings(archive);
    EXPECT_FALSE(TPluginSystem::IsEnabled(Plugin("off").Plugin, "off"));
    EXPECT_TRUE(TPluginSystem::IsEnabled(Plugin("fresh").Plugin, "fresh"));  // no entry: defaults
    EXPECT_THAT(LogOf("off"), HasSubstr("CreateSettings\noff: GetName\noff: LoadFromStream"));
    EXPECT_THAT(LogOf("fresh"), Not(HasSubstr("LoadFromStream")));

    FSystem.ClearSettings();
    EXPECT_THAT(LogOf("fresh"), HasSubstr("SetSettings none"));
    EXPECT_FALSE(TPluginSystem::IsEnabled(Plugin("fresh").Plugin, "fresh"));
}

TEST_F(PluginSystemTest, AProjectWithoutArchiveGetsDefaultsAndNoFile) {
    Install("p");
    Start();
    FSystem.HandOverSettings(FHome.Path() + "none/p.prj.plugins");
    EXPECT_TRUE(TPluginSystem::IsEnabled(Plugin("p").Plugin, "p"));
    EXPECT_FALSE(FileExists(FHome.Path() + "none/p.prj.plugins"));
}

TEST_F(PluginSystemTest, FailingSettingsCallsRaiseAtTheCallSite) {
    Install("nosettings", "nullout=CreateSettings,GetSettings");
    Install("failing", "fail=SetSettings");
    Start();
    std::string archive = FHome.Path() + "p.prj.plugins";
    EXPECT_THROW(FSystem.HandOverSettings(archive), EPluginError);
    // Clearing reaches every plugin before it reports the failure.
    EXPECT_THROW(FSystem.ClearSettings(), EPluginError);
    EXPECT_THAT(LogOf("nosettings"), HasSubstr("SetSettings none"));
    // No settings handed over: the plugin is not enabled.
    EXPECT_FALSE(TPluginSystem::IsEnabled(Plugin("nosettings").Plugin, "nosettings"));
}

} // namespace
