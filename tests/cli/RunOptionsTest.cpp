// The options of `vorlin get` / `vorlin run`: what they parse into, the
// values they refuse, and what they change in the project and the settings.
#include "cli/run/RunOptions.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <gmock/gmock.h>

#include <sstream>

using namespace vorlin;
using namespace vorlin::cli;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

TRunOptions Parsed(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    EXPECT_TRUE(ParseRunOptions(args, options, error)) << error;
    return options;
}

std::string Refusal(const std::vector<std::string>& args) {
    TRunOptions options;
    std::string error;
    EXPECT_FALSE(ParseRunOptions(args, options, error));
    return error;
}

TEST(RunOptions, ValuesComeSeparateInlineOrGluedToTheShortName) {
    TRunOptions o = Parsed({"-c", "4", "http://a/", "--mode=mirror", "-sserver", "dir", "-l", "3"});
    EXPECT_THAT(o.Arguments, ElementsAre("http://a/", "dir"));
    EXPECT_EQ(o.Connections, 4);
    EXPECT_EQ(o.Mode, pmMirror);
    EXPECT_EQ(o.Scope, smStayOnServer);
    ASSERT_TRUE(o.MaxDepth);
    EXPECT_TRUE(o.MaxDepth->Used);
    EXPECT_EQ(o.MaxDepth->Value, 3);
    // After "--" everything is an argument, even what looks like an option.
    EXPECT_THAT(Parsed({"--", "-q"}).Arguments, ElementsAre("-q"));
}

TEST(RunOptions, BadValuesAreRefusedWithTheOptionNamed) {
    EXPECT_THAT(Refusal({"-c", "0"}), HasSubstr("--connections expects a whole number from 1 to 32"));
    EXPECT_THAT(Refusal({"-c", "33"}), HasSubstr("--connections"));
    EXPECT_THAT(Refusal({"-c", "4x"}), HasSubstr("not '4x'"));
    EXPECT_THAT(Refusal({"--timeout", "-5"}), HasSubstr("--timeout"));
    EXPECT_THAT(Refusal({"--max-files", "99999999999"}), HasSubstr("--max-files"));
    EXPECT_THAT(Refusal({"-m", "copy"}), HasSubstr("--mode expects one of offline mirror structure half"));
    EXPECT_THAT(Refusal({"--js", "run"}), HasSubstr("--js"));
    EXPECT_THAT(Refusal({"--proxy", "host"}), HasSubstr("HOST:PORT"));
    EXPECT_THAT(Refusal({"--proxy", "host:0"}), HasSubstr("HOST:PORT"));
    EXPECT_THAT(Refusal({"--frobnicate"}), HasSubstr("unknown option '--frobnicate'"));
    EXPECT_THAT(Refusal({"-Z"}), HasSubstr("unknown option '-Z'"));
    EXPECT_THAT(Refusal({"--tries"}), HasSubstr("--tries needs a value"));
    EXPECT_THAT(Refusal({"--quiet=1"}), HasSubstr("takes no value"));
}

TEST(RunOptions, OnlyTheGivenProjectSettingsChange) {
    TDownloadProject project;
    project.ExcludeList = {"zip"};
    project.DownloadBckgrds = true;
    project.UseMaxFileCount = true;
    project.MaxFileCount = 7;
    Parsed({"--max-depth", "2", "--no-backgrounds", "--js", "delete", "--external=4"}).ApplyTo(project);
    EXPECT_TRUE(project.UseMaxLevelCount);
    EXPECT_EQ(project.MaxLevelCount, 2);
    EXPECT_FALSE(project.DownloadBckgrds);
    EXPECT_EQ(project.JavaScriptMode, jsDelete);
    EXPECT_TRUE(project.FollowExternalLinks);
    EXPECT_TRUE(project.UseMaxExternalLevelCount);
    EXPECT_EQ(project.MaxExternalLevelCount, 4);
    // Untouched.
    EXPECT_THAT(project.ExcludeList, ElementsAre("zip"));
    EXPECT_EQ(project.MaxFileCount, 7);

    // A limit of 0 switches it off; an empty list empties the exclusions.
    Parsed({"--max-files", "0", "-X", "", "--external"}).ApplyTo(project);
    EXPECT_FALSE(project.UseMaxFileCount);
    EXPECT_TRUE(project.ExcludeList.empty());
    EXPECT_TRUE(project.UseMaxExternalLevelCount) << "--external without a depth keeps the depth";
    // The reset setting stays with the project until switched off.
    Parsed({"--reset"}).ApplyTo(project);
    EXPECT_TRUE(project.ResetOnProjStart);
    Parsed({"-q"}).ApplyTo(project);
    EXPECT_TRUE(project.ResetOnProjStart);
    Parsed({"--no-reset"}).ApplyTo(project);
    EXPECT_FALSE(project.ResetOnProjStart);
    Parsed({"-X", "zip,,.exe, pdf"}).ApplyTo(project);
    EXPECT_THAT(project.ExcludeList, ElementsAre("zip", ".exe", " pdf"));
}

TEST(RunOptions, CredentialsSwitchAuthenticationOnAndAnEmptyUserOff) {
    TDownloadProject project;
    Parsed({"--user", "ann", "--password", "s3cret"}).ApplyTo(project);
    EXPECT_TRUE(project.UseAutentfication);
    EXPECT_EQ(project.UserName, "ann");
    EXPECT_EQ(project.Password, "s3cret");
    Parsed({"--user="}).ApplyTo(project);
    EXPECT_FALSE(project.UseAutentfication);
}

TEST(RunOptions, ProgramSettingsChangeOnlyWhenGiven) {
    TProgramSettings settings;
    EXPECT_FALSE(Parsed({"-q", "-m", "mirror"}).ApplyTo(settings));
    EXPECT_TRUE(Parsed({"-c", "8", "--timeout", "9", "--tries", "2", "--proxy", "p.example:3128", "--proxy-user",
                        "u", "--user-agent", "Robot/1", "--autosave", "0", "--download-dir", "/srv/sites",
                        "--low-speed-limit", "500", "--low-speed-time", "30"})
                    .ApplyTo(settings));
    EXPECT_EQ(settings.LowSpeedLimit, 500);
    EXPECT_EQ(settings.LowSpeedTime, 30);
    EXPECT_EQ(settings.NumberOfThreads, 8);
    EXPECT_TRUE(settings.TimeOutEnabled);
    EXPECT_EQ(settings.TimeOutLength, 9);
    EXPECT_EQ(settings.NumberOfTries, 2);
    EXPECT_TRUE(settings.ProxyEnabled);
    EXPECT_EQ(settings.ProxyServer, "p.example");
    EXPECT_EQ(settings.ProxyPort, "3128");
    EXPECT_EQ(settings.ProxyUserName, "u");
    EXPECT_EQ(settings.IdentifyAs, "Robot/1");
    EXPECT_EQ(settings.DefaultDownloadDir, "/srv/sites");
    EXPECT_TRUE(settings.AutosaveEnabled);
    EXPECT_EQ(settings.AutosaveMinutes, 0);
    Parsed({"--no-timeout", "--no-proxy", "--no-autosave"}).ApplyTo(settings);
    EXPECT_FALSE(settings.TimeOutEnabled);
    EXPECT_FALSE(settings.ProxyEnabled);
    EXPECT_FALSE(settings.AutosaveEnabled);
    EXPECT_EQ(settings.TimeOutLength, 9);
}

TEST(RunOptions, CertificateAndKeepAliveOptionsAreProgramSettings) {
    TProgramSettings settings;
    EXPECT_TRUE(Parsed({"--no-check-certificate", "--keep-alive", "--ca-certificate", "/etc/ca.pem"}).ApplyTo(settings));
    EXPECT_FALSE(settings.CheckCertificates);
    EXPECT_TRUE(settings.KeepAlive);
    EXPECT_EQ(settings.CaCertificates, "/etc/ca.pem");
    EXPECT_TRUE(Parsed({"--check-certificate", "--no-keep-alive", "--ca-certificate="}).ApplyTo(settings));
    EXPECT_TRUE(settings.CheckCertificates);
    EXPECT_FALSE(settings.KeepAlive);
    EXPECT_EQ(settings.CaCertificates, "");
    EXPECT_THAT(Refusal({"--keep-alive=yes"}), HasSubstr("takes no value"));
}

TEST(RunOptions, HelpListsEveryOption) {
    std::string help = RunOptionsHelp();
    for (const char* name :
         {"--home", "--connections", "--mode", "--scope", "--max-depth", "--external[=N]", "--outside-images",
          "--backgrounds", "--no-backgrounds", "--max-files", "--max-file-size", "--min-file-size", "--max-total",
          "--min-free", "--exclude-ext", "--js", "--reset", "--user", "--password", "--timeout", "--no-timeout",
          "--tries", "--proxy", "--proxy-user", "--proxy-password", "--user-agent", "--autosave", "--quiet",
          "--verbose", "--download-dir", "--debug", "--output-file FILE", "--input-file FILE", "--new",
          "--low-speed-limit BYTES", "--low-speed-time SECONDS",
          "--no-check-certificate", "--ca-certificate", "--keep-alive", "--no-keep-alive"})
        EXPECT_THAT(help, HasSubstr(name));
    // It reads on a terminal of 80 columns.
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

} // namespace

namespace vorlin::cli {
namespace {

using ::testing::EndsWith;

TEST(RunOptions, MannersTowardServersAreProjectSettings) {
    TDownloadProject project;
    Parsed({"--no-robots", "-w", "0.25", "--random-wait", "--limit-rate=1.5m", "--load-cookies", "in.txt",
            "--save-cookies", "/tmp/out.txt", "--keep-session-cookies"})
        .ApplyTo(project);
    const TProjectManners& m = project.Manners;
    EXPECT_FALSE(m.ObeyRobots);
    EXPECT_DOUBLE_EQ(m.WaitSeconds, 0.25);
    EXPECT_TRUE(m.RandomWait);
    EXPECT_EQ(m.LimitRate, 1572864);
    EXPECT_EQ(m.LoadCookies.front(), '/') << "kept absolute for later runs";
    EXPECT_THAT(m.LoadCookies, EndsWith("/in.txt"));
    EXPECT_EQ(m.SaveCookies, "/tmp/out.txt");
    EXPECT_TRUE(m.KeepSessionCookies);
    // Untouched unless given; 0 and empty switch them off.
    Parsed({"-q"}).ApplyTo(project);
    EXPECT_DOUBLE_EQ(project.Manners.WaitSeconds, 0.25);
    Parsed({"--robots", "--wait", "0", "--limit-rate", "0", "--save-cookies", ""}).ApplyTo(project);
    EXPECT_TRUE(project.Manners.ObeyRobots);
    EXPECT_EQ(project.Manners.WaitSeconds, 0);
    EXPECT_EQ(project.Manners.LimitRate, 0);
    EXPECT_EQ(project.Manners.SaveCookies, "");

    int64_t rate = 0;
    EXPECT_TRUE(ParseRate("20k", rate));
    EXPECT_EQ(rate, 20480);
    EXPECT_TRUE(ParseRate("300", rate));
    EXPECT_EQ(rate, 300);
    for (const char* bad : {"", "k", "-5", "5x", "1e3", "2g", "1.2.3m"}) EXPECT_FALSE(ParseRate(bad, rate)) << bad;
    EXPECT_THAT(Refusal({"--wait", "-1"}), HasSubstr("--wait expects seconds"));
    EXPECT_THAT(Refusal({"--limit-rate", "fast"}), HasSubstr("--limit-rate expects bytes per second"));
}

} // namespace
} // namespace vorlin::cli
