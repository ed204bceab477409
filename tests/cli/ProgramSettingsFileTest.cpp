// The program settings record in "HttpVorlin.ini".
#include "platform/IniFile.h"
#include "project/PasswordScrambler.h"
#include "project/ProgramSettings.h"
#include "project/ProgramSettingsFile.h"
#include "tests/cli/CliTestSupport.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

TEST(ProgramSettingsFile, AFreshInstallationHasTheDefaults) {
    TCliTempDir dir;
    TProgramSettings settings;
    settings.NumberOfThreads = 17;  // overwritten by the defaults
    LoadProgramSettingsFile(dir.Path() + "HttpVorlin.ini", settings);
    TProgramSettings defaults;
    EXPECT_EQ(settings.NumberOfThreads, 5);
    EXPECT_TRUE(settings.TimeOutEnabled);
    EXPECT_EQ(settings.TimeOutLength, 20);
    EXPECT_EQ(settings.NumberOfTries, 3);
    EXPECT_FALSE(settings.ProxyEnabled);
    EXPECT_TRUE(settings.AutosaveEnabled);
    EXPECT_EQ(settings.AutosaveMinutes, 10);
    EXPECT_EQ(settings.ClipboardType, 1);
    EXPECT_FALSE(settings.LoadBookmOnStartUp);
    EXPECT_EQ(settings.Language, "English");
    EXPECT_EQ(settings.DefaultDownloadDir, "");
    EXPECT_EQ(settings.LowSpeedLimit, 1024);
    EXPECT_EQ(settings.LowSpeedTime, 60);
}

TEST(ProgramSettingsFile, EveryFieldSurvivesARoundTripWithPasswordsScrambled) {
    TCliTempDir dir;
    const std::string path = dir.Path() + "HttpVorlin.ini";
    TProgramSettings s;
    s.DefaultTemplate = 3;
    s.FavStandard = s.FavOther = s.LoadFavOnStartUp = s.BookmUserSelect = s.BookmOther = false;
    s.LoadBookmOnStartUp = true;
    s.ClipboardEnabled = s.BookmNetscpDir = false;
    s.ProxyEnabled = true;
    s.TimeOutEnabled = false;
    s.ClipboardType = 2;
    s.ProxyServer = "proxy.example";
    s.ProxyPort = "3128";
    s.ProxyUserName = "pu";
    s.ProxyPassword = "proxy secret";
    s.BookmOtherFile = "/b/bookmarks.html";
    s.FavOtherDir = "/f";
    s.SelectedUser = "ann";
    s.DefaultDownloadDir = "/downloads";
    s.IdentifyAs = "Robot/2";
    s.TimeOutLength = 99;
    s.NumberOfTries = 9;
    s.ConnType = 2;
    s.DialUpUserName = "du";
    s.DialUpPassword = "dial secret";
    s.DialUpEntry = "Entry";
    s.ConnScript = "/bin/up";
    s.DisConnScript = "/bin/down";
    s.DisConnWndName = "Window";
    s.AlwaysUseDefaultDir = true;
    s.AutosaveEnabled = false;
    s.AutosaveMinutes = 0;
    s.LowSpeedLimit = 100;
    s.LowSpeedTime = 0;
    s.NumberOfThreads = 12;
    s.AutoCheckForUpdates = false;
    s.EnableDocking = true;
    s.Language = "Deutsch";
    SaveProgramSettingsFile(path, s);

    std::string text = ReadWholeFile(path);
    EXPECT_THAT(text, Not(HasSubstr("secret")));
    EXPECT_THAT(text, HasSubstr("Proxy-PassWord=" + ScramblePassword("proxy secret") + "\n"));
    EXPECT_THAT(text, HasSubstr("[TimeOut]\nTimeOut-Enabled=0\nTimeOut-Length=99\nNumber Of Tries=9\n"));
    EXPECT_THAT(text, HasSubstr("Proxy-Enabled=1\n"));

    TProgramSettings r;
    LoadProgramSettingsFile(path, r);
    EXPECT_EQ(r.DefaultTemplate, 3);
    EXPECT_FALSE(r.FavStandard || r.FavOther || r.LoadFavOnStartUp || r.BookmUserSelect || r.BookmOther);
    EXPECT_TRUE(r.LoadBookmOnStartUp);
    EXPECT_FALSE(r.ClipboardEnabled || r.BookmNetscpDir || r.TimeOutEnabled || r.AutosaveEnabled);
    EXPECT_TRUE(r.ProxyEnabled && r.AlwaysUseDefaultDir && r.EnableDocking);
    EXPECT_EQ(r.ClipboardType, 2);
    EXPECT_EQ(r.ProxyServer, "proxy.example");
    EXPECT_EQ(r.ProxyPort, "3128");
    EXPECT_EQ(r.ProxyUserName, "pu");
    EXPECT_EQ(r.ProxyPassword, "proxy secret");
    EXPECT_EQ(r.BookmOtherFile, "/b/bookmarks.html");
    EXPECT_EQ(r.FavOtherDir, "/f");
    EXPECT_EQ(r.SelectedUser, "ann");
    EXPECT_EQ(r.DefaultDownloadDir, "/downloads");
    EXPECT_EQ(r.IdentifyAs, "Robot/2");
    EXPECT_EQ(r.TimeOutLength, 99);
    EXPECT_EQ(r.NumberOfTries, 9);
    EXPECT_EQ(r.ConnType, 2);
    EXPECT_EQ(r.DialUpUserName, "du");
    EXPECT_EQ(r.DialUpPassword, "dial secret");
    EXPECT_EQ(r.DialUpEntry, "Entry");
    EXPECT_EQ(r.ConnScript, "/bin/up");
    EXPECT_EQ(r.DisConnScript, "/bin/down");
    EXPECT_EQ(r.DisConnWndName, "Window");
    EXPECT_EQ(r.AutosaveMinutes, 0);
    EXPECT_EQ(r.LowSpeedLimit, 100);
    EXPECT_EQ(r.LowSpeedTime, 0);
    EXPECT_EQ(r.NumberOfThreads, 12);
    EXPECT_FALSE(r.AutoCheckForUpdates);
    EXPECT_EQ(r.Language, "Deutsch");
}

TEST(ProgramSettingsFile, NetworkSettingsHaveASectionOfTheirOwn) {
    TCliTempDir dir;
    const std::string path = dir.Path() + "HttpVorlin.ini";
    TProgramSettings defaults;
    LoadProgramSettingsFile(path, defaults);
    EXPECT_TRUE(defaults.CheckCertificates);
    EXPECT_EQ(defaults.CaCertificates, "");
    EXPECT_FALSE(defaults.KeepAlive);
    TProgramSettings s;
    s.CheckCertificates = false;
    s.CaCertificates = "/etc/company/ca.pem";
    s.KeepAlive = true;
    SaveProgramSettingsFile(path, s);
    EXPECT_THAT(ReadWholeFile(path),
                HasSubstr("[Network]\nLowSpeedLimit=1024\nLowSpeedTime=60\nCheckCertificates=0\nCaCertificates=/etc/company/ca.pem\nKeepAlive=1\n"));
    TProgramSettings r;
    LoadProgramSettingsFile(path, r);
    EXPECT_FALSE(r.CheckCertificates);
    EXPECT_EQ(r.CaCertificates, "/etc/company/ca.pem");
    EXPECT_TRUE(r.KeepAlive);
}

TEST(ProgramSettingsFile, ValuesAFieldCantHoldKeepTheDefault) {
    TIniFile ini;
    ini.LoadFromText("[TimeOut]\nTimeOut-Length=70000\nNumber Of Tries=abc\n[ClipBoard]\nType=300\n"
                     "[Proxy]\nProxy-PassWord=not base64!\n[Dial-Up]\nConnType=3\n");
    TProgramSettings s;
    ReadProgramSettings(ini, s);
    EXPECT_EQ(s.ConnType, 0) << "no such connection type";
    EXPECT_EQ(s.TimeOutLength, 20);
    EXPECT_EQ(s.NumberOfTries, 3);
    EXPECT_EQ(s.ClipboardType, 1);
    EXPECT_EQ(s.ProxyPassword, "");
    ini.LoadFromText("[ClipBoard]\nType=3\n[Dial-Up]\nConnType=2\n");
    ReadProgramSettings(ini, s);
    EXPECT_EQ(s.ClipboardType, 1) << "no such clipboard mode";
    EXPECT_EQ(s.ConnType, 2);
}

} // namespace
