// Ctrl-C during `vorlin get` against nginx serving a slow site: the run is
// cancelled in order, its link data saved and readable, the status 130.
#include "tests/cli/CliTestSupport.h"
#include "tests/e2e/support/NginxServer.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace vorlin::test;
using ::testing::HasSubstr;

namespace {

// Starts the program with its output in files; answers its PID.
pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Waits up to the limit; answers the exit status, or -1 (the child killed).
int WaitExit(pid_t pid, std::chrono::seconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

int Shell(const std::string& command) {
    int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(Interrupt, CtrlCStopsTheRunInOrderAndSavesItsLinks) {
    if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
    TCliTempDir dir;
    const std::string root = dir.Path() + "site/";
    std::filesystem::create_directories(root);
    std::string index = "<html><body>";
    for (int i = 0; i < 12; ++i) {
        std::string name = "file" + std::to_string(i) + ".bin";
        WriteWholeFile(root + name, std::string(300 * 1024, 'x'));
        index += "<a href=\"" + name + "\">" + name + "</a>\n";
    }
    WriteWholeFile(root + "index.html", index + "</body></html>");
    // Slow enough that the run is still busy when Ctrl-C comes.
    TNginxServer nginx(root, "limit_rate 64k;");

    const std::string home = dir.Path() + "home", out = dir.Path() + "out", err = dir.Path() + "err";
    pid_t pid = Spawn({VORLIN_PROGRAM, "get", "--home", home, "-c", "2", nginx.BaseURL(), dir.Path() + "copy"}, out, err);
    ASSERT_GT(pid, 0);
    // Once the start page is in, the big files are on their way.
    ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(out).find("index.html") != std::string::npos ||
                                     ReadWholeFile(out).find("/ (") != std::string::npos; },
                        std::chrono::seconds(20)))
        << ReadWholeFile(out) << ReadWholeFile(err);
    auto sent = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    EXPECT_EQ(WaitExit(pid, std::chrono::seconds(30)), 130) << ReadWholeFile(err);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10)) << "the run stops without waiting for the files";
    EXPECT_THAT(ReadWholeFile(err), HasSubstr("link data are being saved"));

    std::string caption = "127.0.0.1_" + std::to_string(nginx.Port());
    std::string data = home + "/Projects/Quick Projects/" + caption + ".dat";
    ASSERT_EQ(Shell("'" + std::string(VORLIN_PROGRAM) + "' show-links --json '" + data + "' >'" + out + "' 2>&1"), 0)
        << ReadWholeFile(out);
    EXPECT_THAT(ReadWholeFile(out), HasSubstr("file11.bin")) << "every link of the start page was kept";
}

// The command printed after Ctrl-C, run as the user would paste it, finishes
// the download: the home and the project's path ("Quick Projects") are quoted.
TEST(Interrupt, TheResumeCommandPrintedAfterCtrlCFinishesTheDownload) {
    if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
    TCliTempDir dir;
    const std::string root = dir.Path() + "site/";
    std::filesystem::create_directories(root);
    WriteWholeFile(root + "slow.bin", std::string(200 * 1024, 's'));
    WriteWholeFile(root + "index.html", "<a href=\"slow.bin\">slow</a> <a href=\"a.html\">a</a>");
    WriteWholeFile(root + "a.html", "a");
    // Only the one file comes slowly: the run is busy with it when Ctrl-C comes.
    TNginxServer nginx(root, "location = /slow.bin { limit_rate 100k; }");

    const std::string home = dir.Path() + "my home", out = dir.Path() + "out", err = dir.Path() + "err";
    pid_t pid = Spawn({VORLIN_PROGRAM, "get", "--home", home, nginx.BaseURL(), dir.Path() + "copy"}, out, err);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(out).find("/ (") != std::string::npos; }, std::chrono::seconds(20)))
        << ReadWholeFile(out) << ReadWholeFile(err);
    kill(pid, SIGINT);
    ASSERT_EQ(WaitExit(pid, std::chrono::seconds(30)), 130) << ReadWholeFile(err);
    EXPECT_THAT(ReadWholeFile(out), HasSubstr("\nStopped: "));
    const std::string stderrText = ReadWholeFile(err);
    const std::string project = home + "/Projects/Quick Projects/127.0.0.1_" + std::to_string(nginx.Port()) + ".prj";
    const size_t at = stderrText.find("To resume: ");
    ASSERT_NE(at, std::string::npos) << stderrText;
    const std::string command = stderrText.substr(at + 11, stderrText.find('\n', at) - at - 11);
    EXPECT_THAT(command, ::testing::EndsWith(" run --home '" + home + "/' '" + project + "'"));

    ASSERT_EQ(Shell(command + " >'" + out + "' 2>'" + err + "' </dev/null"), 0) << ReadWholeFile(err);
    EXPECT_THAT(ReadWholeFile(out), HasSubstr("Project /Quick Projects/127.0.0.1_"));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "copy/127.0.0.1+" + std::to_string(nginx.Port()) + "/slow.bin"), std::string(200 * 1024, 's'));
}

} // namespace
