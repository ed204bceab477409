#include "rules/PakArchive.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// Two test plugins: "first" (a download plugin, starts inactive) and
// "second" (a filter, starts active), plus one that failed to initialise.
class PluginOptionsPageTest : public TPluginHostFixture {
protected:
    void SetUp() override {
        Install("first", "caps=4\nactive=0");
        Install("second", "caps=2\nconfigurable=0");
        Install("dead", "", "testkit_noinit");
        Start();
    }
    // The check states by plugin name.
    std::map<std::string, bool> Shown() {
        std::vector<bool> checked = PluginPageShown(FSystem, FArchive);
        std::map<std::string, bool> byName;
        for (size_t i = 0; i < checked.size(); ++i) byName[FSystem.PluginNames()[i]] = checked[i];
        return byName;
    }
    std::vector<bool> Checks(bool first, bool second) {
        std::vector<bool> checked;
        for (auto& name : FSystem.PluginNames()) checked.push_back(name == "first" ? first : name == "second" && second);
        return checked;
    }

    std::string FArchive = FHome.Path() + "p.prj.plugins";
    std::string FData = FHome.Path() + "p.dat.plugins";
};

TEST_F(PluginOptionsPageTest, ShownReflectsStoredSettingsOrDefaults) {
    auto shown = Shown();
    EXPECT_FALSE(shown["first"]);
    EXPECT_TRUE(shown["second"]);
    EXPECT_FALSE(shown["dead"]);
    EXPECT_FALSE(FileExists(FArchive));  // showing writes nothing
}

TEST_F(PluginOptionsPageTest, ClosingStoresEveryBoxAndCompacts) {
    PluginPageClosed(FSystem, FArchive, Checks(true, false));
    auto shown = Shown();
    EXPECT_TRUE(shown["first"]);
    EXPECT_FALSE(shown["second"]);  // unchecked (also after Cancel) is stored as disabled
    int64_t size = FileSizeOf(FArchive);
    EXPECT_EQ(size, 86 + 2 * 3 + 2 * 266);
    PluginPageClosed(FSystem, FArchive, Checks(true, false));
    EXPECT_EQ(FileSizeOf(FArchive), size);  // replaced entries leave no garbage
    TPakArchive archive(FArchive);
    EXPECT_EQ(archive.Count(), 2);
}

TEST_F(PluginOptionsPageTest, ButtonsAreOfferedAsThePluginsSay) {
    EXPECT_TRUE(CanConfigurePlugin(Plugin("first")));
    EXPECT_FALSE(CanConfigurePlugin(Plugin("second")));
    EXPECT_TRUE(CanShowPluginData(Plugin("first")));
    EXPECT_FALSE(CanShowPluginData(Plugin("second")));
    EXPECT_THROW(CanShowPluginData(Plugin("dead")), EPluginError);
}

TEST_F(PluginOptionsPageTest, ConfigureStoresWhatAConfirmedDialogSaved) {
    PluginPageClosed(FSystem, FArchive, Checks(false, true));
    Kit("first").ClearLog();
    ConfigurePlugin(Plugin("first"), FArchive, this);
    std::string log = Kit("first").Log();
    EXPECT_THAT(log, HasSubstr("Configure parent set"));
    EXPECT_THAT(log, HasSubstr("SaveToStream\nfirst: EndConfigure"));
    EXPECT_TRUE(Shown()["first"]);  // the dialog switched it on
    EXPECT_EQ(TPakArchive(FArchive).Count(), 2);
}

TEST_F(PluginOptionsPageTest, CancelledOrFailingDialogKeepsTheStoredSettings) {
    PluginPageClosed(FSystem, FArchive, Checks(true, true));
    Kit("first").Configure("name=first\ncaps=4\nconfigureok=0");
    ConfigurePlugin(Plugin("first"), FArchive, nullptr);
    EXPECT_THAT(Kit("first").Log(), HasSubstr("EndConfigure"));
    EXPECT_TRUE(Shown()["first"]);

    Kit("first").Configure("name=first\ncaps=4\nfail=Configure");
    Kit("first").ClearLog();
    EXPECT_THROW(ConfigurePlugin(Plugin("first"), FArchive, nullptr), EPluginError);
    EXPECT_THAT(Kit("first").Log(), HasSubstr("EndConfigure"));  // exactly once after every Configure
    EXPECT_TRUE(Shown()["first"]);
}

TEST_F(PluginOptionsPageTest, ShowDataHandsOverTheStoredDataFirst) {
    ShowPluginData(Plugin("first"), FData);
    EXPECT_THAT(Kit("first").Log(), Not(HasSubstr("ShowData")));  // no data yet
    {
        TPakArchive archive(FData);
        TMemoryStream m;
        m.WriteBuffer("kept", 4);
        archive.Add(m, "first");
    }
    ShowPluginData(Plugin("first"), FData);
    EXPECT_THAT(Kit("first").Log(), HasSubstr("LoadData \"kept\"\nfirst: ShowData"));
    EXPECT_THROW(ShowPluginData(Plugin("dead"), FData), EPluginError);
}

} // namespace
