// The `updater` program itself on a temporary installation: it waits for
// the main program's window to go, installs the signed package, starts the
// program again with "afterupdate" and ends when its own window is closed.
// Other programs meet it in a private directory, never the user's.
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "updater/PatchData.h"
#include "updater/PatchSession.h"
#include "updater/UpdateRelease.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace vorlin;
using namespace vorlin::updater;
namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// Serves this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        WaitMessage(20);
        ProcessPendingMessages();
    }
    return true;
}

} // namespace

TEST(PatcherProgramTest, WaitsPatchesRestartsAndEndsWhenClosed) {
    char pattern[] = "/tmp/vorlin-patcher-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path program = root / "program", run = root / "run";
    fs::create_directories(program);
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    SetInterProcessDirectoryForTests((run / "HTTPVorlin").string());
    fs::copy_file(VORLIN_PATCHER, program / "updater");
    Write(program / "HTTPVorlin", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
    fs::permissions(program / "HTTPVorlin", fs::perms::owner_all);
    const std::string oldData(100000, 'o');
    std::string newData = oldData;
    newData.replace(500, 5, "fresh");
    Write(program / "data.bin", oldData);
    const TKeyPair keys = GenerateKeyPair();
    Write(program / kPublicKeyFile, ToHex(keys.Public.data(), 32));
    TUpdatePackage package;
    package.Patches = {{"data.bin", BuildPatch(oldData, newData)}};
    package.Adds = {{"sub\\dir\\new.txt", "added"}, {"updater.new", "next patcher"}};
    const std::string packagePath = (program / "Updates/httpvorl32ge-2.0.dat").string();
    fs::create_directories(program / "Updates");
    WriteSignedFile(packagePath, WritePackage(package), keys);

    // This test stands in for the main program's window.
    bool closeAsked = false;
    TMessageTarget target([&](TMsg& msg) -> intptr_t {
        if (msg.Message == WM_SYSCOMMAND && msg.WParam == SC_CLOSE) closeAsked = true;
        return 0;
    });
    auto window = PublishWindow("THttpGetForm", target.Handle());
    ASSERT_TRUE(window);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0 && std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.push_back(*e);
    env.push_back("XDG_RUNTIME_DIR=" + run.string());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = {(program / "updater").string(), (program / "HTTPVorlin").string(), packagePath};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);

    ASSERT_TRUE(PumpUntil([&] { return closeAsked; }, 60000)) << "the patcher asks the main program to close";
    EXPECT_EQ(Read(program / "data.bin"), oldData) << "nothing changes while the main program runs";
    window.reset();  // the main program has closed

    EXPECT_TRUE(PumpUntil([&] { return fs::exists(program / "restarted.txt"); }, 60000));
    EXPECT_EQ(Read(program / "restarted.txt"), "afterupdate\n");
    EXPECT_EQ(Read(program / "data.bin"), newData);
    EXPECT_EQ(Read(program / "data.bin.bak"), oldData);
    EXPECT_EQ(Read(program / "sub/dir/new.txt"), "added");
    EXPECT_EQ(Read(program / "updater.new"), "next patcher");

    // The restarted program closes the patcher's window; the patcher ends.
    TRemoteWindow patcher = 0;
    EXPECT_TRUE(PumpUntil([&] { return (patcher = FindWindowByClass(kPatcherWindowClass)) != 0; }, 10000));
    PostRemoteMessage(patcher, WM_CLOSE);
    int status = -1;
    for (int i = 0; i < 600 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(root / "HTTPVorlin")) << "nothing outside the program folder";
    fs::remove_all(root);
}
