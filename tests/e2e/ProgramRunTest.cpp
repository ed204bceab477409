// `vorlin get` and `vorlin run` against the fixture site on nginx: a whole
// mirror from the command line, an update run, and a run killed in the
// middle that the next `vorlin run` resumes, completing the cut file with a
// range request.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/NginxServer.h"
#include "tests/e2e/support/Program.h"
#include "tests/e2e/support/SiteRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <thread>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
        TProgramResult help = RunProgram(VORLIN_BINARY, {"get", "--help"});
        if (help.Status != 0) GTEST_SKIP() << "this vorlin has no get command yet";
        char pattern[] = "/tmp/vorlin-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        FDir = pattern;
        FSite = FDir + "/served";
    }
    void TearDown() override {
        FServer.reset();
        std::error_code ec;
        if (!FDir.empty()) fs::remove_all(FDir, ec);
    }
    void Serve(const std::string& extraConfig = std::string()) {
        FServer = std::make_unique<TNginxServer>(FSite, FixtureServerConfig(FSite) + extraConfig);
        WriteFixtureSite(FSite, FServer->Port());
    }
    std::string Home() const { return FDir + "/home"; }
    std::string Copy() const { return FDir + "/copy"; }
    std::string HostDir() const { return Copy() + "/127.0.0.1+" + std::to_string(FServer->Port()) + "/"; }
    // The project `vorlin get` made: the path it printed last, in the quick
    // projects of the home directory.
    std::string ProjectFile() const { return FProjectFile; }
    std::string DataFile() const { return fs::path(FProjectFile).replace_extension(".dat").string(); }
    // The project a `vorlin get` made that was started with its output below FDir.
    void ProjectMadeBy(const std::string& out) {
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty()) FProjectFile = line;
        EXPECT_EQ(FProjectFile.rfind(Home() + "/Projects/Quick Projects/127.0.0.1", 0), 0u) << out;
        EXPECT_EQ(fs::path(FProjectFile).extension(), ".prj");
    }
    std::vector<std::string> GetArgs(std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"get", "--home", Home(), "-c", "4", "--user", kFixtureUser,
                                         "--password", kFixturePassword};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(FServer->BaseURL());
        args.push_back(Copy());
        return args;
    }
    // The program loads the style-sheet plugin (on for new projects): what
    // the sheets name is stored too.
    std::set<std::string> Expected() const {
        std::vector<std::string> files = FixtureExpectedFiles();
        std::set<std::string> expected(files.begin(), files.end());
        expected.insert({"css/print.css", "img/css-bg.gif", "img/print.gif", "fonts/fixture.woff"});
        return expected;
    }
    // The stored tree is the expected one (but for the files named);
    // names what is extra or missing.
    void ExpectTree(const std::set<std::string>& except = {}) const {
        std::set<std::string> stored = FilesBelow(HostDir()), expected = Expected();
        for (const std::string& f : except) stored.erase(f), expected.erase(f);
        for (const std::string& f : stored) EXPECT_TRUE(expected.count(f)) << "stored too: " << f;
        for (const std::string& f : expected) EXPECT_TRUE(stored.count(f)) << "not stored: " << f;
    }
    std::vector<std::string> LogLinesFrom(size_t first) const {
        std::vector<std::string> lines;
        std::istringstream log(FServer->AccessLog());
        size_t n = 0;
        for (std::string line; std::getline(log, line); ++n)
            if (n >= first) lines.push_back(line);
        return lines;
    }
    int64_t LocalSize(const std::string& relative) const {
        std::error_code ec;
        auto size = fs::file_size(HostDir() + relative, ec);
        return ec ? -1 : static_cast<int64_t>(size);
    }

    std::string FDir, FSite, FProjectFile;
    std::unique_ptr<TNginxServer> FServer;
};

TEST_F(ProgramRunTest, GetMirrorsTheSiteAndRunUpdatesIt) {
    Serve();
    TProgramResult got = RunProgram(VORLIN_BINARY, GetArgs({"-q"}));
    ASSERT_EQ(got.Status, 0) << got.Err;
    ProjectMadeBy(got.Out);
    EXPECT_TRUE(fs::is_regular_file(ProjectFile()));
    EXPECT_TRUE(fs::is_regular_file(DataFile()));
    ExpectTree();
    EXPECT_TRUE(ReadWholeFile(HostDir() + "files/big.bin") == ReadWholeFile(FSite + "/files/big.bin"));
    EXPECT_TRUE(ReadWholeFile(HostDir() + "private/secret.html") == ReadWholeFile(FSite + "/private/secret.html"));

    const size_t firstRun = LogLinesFrom(0).size();
    TProgramResult again = RunProgram(VORLIN_BINARY, {"run", "--home", Home(), "-q", ProjectFile()});
    ASSERT_EQ(again.Status, 0) << again.Err;
    int notModified = 0;
    for (const std::string& line : LogLinesFrom(firstRun)) {
        if (line.find("\" 304 ") != std::string::npos) {
            ++notModified;
        } else {
            // Only what has no date or did not answer with a file.
            bool expected = line.find(" /listing/ ") != std::string::npos || line.find("\" 301 ") != std::string::npos ||
                            line.find("\" 404 ") != std::string::npos || line.find("\"HEAD ") != std::string::npos ||
                            line.find("\" 401 ") != std::string::npos;
            EXPECT_TRUE(expected) << line;
        }
    }
    EXPECT_GE(notModified, static_cast<int>(Expected().size()) - 3);
}

TEST_F(ProgramRunTest, MirrorModeStoresWhatWasServed) {
    Serve();
    TProgramResult got = RunProgram(VORLIN_BINARY, GetArgs({"-q", "-m", "mirror"}));
    ASSERT_EQ(got.Status, 0) << got.Err;
    ExpectTree();
    for (const std::string& file : FilesBelow(HostDir())) {
        if (file == "listing/index.html") continue;  // made by the server
        const std::string served = ReadWholeFile(FSite + "/" + (file == "old.html" ? "new.html" : file));
        EXPECT_TRUE(ReadWholeFile(HostDir() + file) == served) << file;
    }
    // The mode is kept in the project for the next run.
    ProjectMadeBy(got.Out);
    TProgramResult shown = RunProgram(VORLIN_BINARY, {"show-project", ProjectFile()});
    EXPECT_NE(shown.Out.find("1 (mirror)"), std::string::npos) << shown.Out;
}

TEST_F(ProgramRunTest, KilledRunIsResumedWithOnlyWhatIsMissing) {
    // The big file comes slowly, so the run is still busy with it when it is
    // killed; every other file is done by then.
    Serve("    location = /files/big.bin { limit_rate 600k; }\n");
    pid_t pid = StartProgram(VORLIN_BINARY, GetArgs({"--autosave", "0"}), FDir);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (LocalSize("files/big.bin") < 1024 * 1024 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_GE(LocalSize("files/big.bin"), 1024 * 1024) << ReadWholeFile(FDir + "/stderr");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few autosaves with the file under way
    ::kill(pid, SIGKILL);
    ASSERT_EQ(WaitProgram(pid), 128 + SIGKILL);
    const int64_t cut = LocalSize("files/big.bin");
    ASSERT_LT(cut, kFixtureBigFileSize);
    // Killed, it never said which project it made: there is one.
    for (const auto& entry : fs::directory_iterator(Home() + "/Projects/Quick Projects"))
        if (entry.path().extension() == ".prj") FProjectFile = entry.path().string();
    ASSERT_TRUE(fs::is_regular_file(DataFile())) << DataFile();

    const size_t firstRun = LogLinesFrom(0).size();
    TProgramResult resumed = RunProgram(VORLIN_BINARY, {"run", "--home", Home(), "-q", ProjectFile()});
    ASSERT_EQ(resumed.Status, 0) << resumed.Err;
    const std::vector<std::string> asked = LogLinesFrom(firstRun);
    // The files finished before the kill were not asked for again.
    for (const std::string& line : asked)
        for (const char* done : {" /about.html ", " /img/logo.gif ", " /files/manual.pdf ", " /gallery/ "})
            EXPECT_EQ(line.find(done), std::string::npos) << line;
    EXPECT_LT(asked.size(), Expected().size() / 2) << ::testing::PrintToString(asked);
    // The cut file was continued where it ended.
    std::vector<std::string> big = FServer->RequestsOf("/files/big.bin");
    ASSERT_GE(big.size(), 2u);
    EXPECT_NE(big.back().find("\" 206 "), std::string::npos) << big.back();
    EXPECT_NE(big.back().find("range=\"bytes=" + std::to_string(cut) + "-"), std::string::npos) << big.back();
    // The moved page's copy was made at an autosave of the killed run, or by
    // the resumed run: either way it is there.
    ExpectTree();
    EXPECT_TRUE(ReadWholeFile(HostDir() + "files/big.bin") == ReadWholeFile(FSite + "/files/big.bin"));
}

} // namespace
} // namespace vorlin::test
