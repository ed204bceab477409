// A program update from end to end with the real programs on a temporary
// installation: HTTPVorlin checks the loopback nginx, downloads and verifies
// the signed package and starts `updater`; the patcher waits for the main
// program and a companion (played by this test) to close, patches and adds,
// starts HTTPVorlin again with "afterupdate", and the restarted program
// closes the patcher's window and puts the new patcher in place. Every
// program meets the others in a private directory, never the user's, and
// nothing outside the program folder changes.
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "tests/e2e/support/NginxServer.h"
#include "tests/updater/FolderSnapshot.h"
#include "update/ProgUpdater.h"
#include "updater/PatchData.h"
#include "updater/PatchSession.h"
#include "updater/UpdateRelease.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <algorithm>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>

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

// The processes this test started, also those started detached by them:
// the test adopts them as a subreaper, waits for them to end and stops
// whatever is left by its process id. Children from before (the web
// server) are not of the family.
class TProcessFamily {
public:
    TProcessFamily() : FBefore(Children()) { prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~TProcessFamily() {
        for (pid_t pid : Members()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        prctl(PR_SET_CHILD_SUBREAPER, 0);
    }
    pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
        std::vector<std::string> args = arguments, env = environment;
        std::vector<char*> argv, envp;
        for (std::string& a : args) argv.push_back(a.data());
        for (std::string& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t pid = -1;
        return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
    }
    // Reaps what ended (counting failures); true when none is left.
    bool AllEnded() {
        for (pid_t pid : Members()) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) ++Failures;
        }
        return Members().empty();
    }
    int Failures = 0;

private:
    std::vector<pid_t> Members() const {
        std::vector<pid_t> members;
        for (pid_t pid : Children())
            if (std::find(FBefore.begin(), FBefore.end(), pid) == FBefore.end()) members.push_back(pid);
        return members;
    }
    // Children of this process by /proc, ended ones included.
    static std::vector<pid_t> Children() {
        std::vector<pid_t> pids;
        const std::string parent = std::to_string(getpid());
        std::error_code error;
        for (const auto& entry : fs::directory_iterator("/proc", error)) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            const std::string stat = Read(entry.path() / "stat");
            const size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream fields(stat.substr(close + 1));
            std::string state, ppid;
            fields >> state >> ppid;
            if (ppid == parent) pids.push_back(std::stoi(name));
        }
        return pids;
    }
    std::vector<pid_t> FBefore;
};

std::vector<std::string> ProgramEnvironment(const std::vector<std::string>& own) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& mine : own) replaced |= entry.compare(0, mine.find('=') + 1, mine, 0, mine.find('=') + 1) == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), own.begin(), own.end());
    return env;
}

} // namespace

TEST(UpdateInstallationTest, CheckDownloadPatchRestartAndFinish) {
    if (!test::NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
    char pattern[] = "/tmp/vorlin-update-install-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path program = root / "program", site = root / "site", run = root / "run", user = root / "user",
                   home = root / "home";
    for (const fs::path& folder : {program, site, run, user, home}) fs::create_directories(folder);
    fs::permissions(run, fs::perms::owner_all, fs::perm_options::replace);
    SetInterProcessDirectoryForTests((run / "HTTPVorlin").string());

    // The installation: the built programs, their plugins and the test key.
    const fs::path built = fs::path(VORLIN_MAIN_PROGRAM).parent_path();
    fs::copy_file(VORLIN_MAIN_PROGRAM, program / "HTTPVorlin");
    fs::copy_file(VORLIN_PATCHER, program / "updater");
    if (fs::exists(built / "Plugins")) fs::copy(built / "Plugins", program / "Plugins", fs::copy_options::recursive);
    const std::string oldData(100000, 'o');
    std::string newData = oldData;
    newData.replace(500, 5, "fresh");
    Write(program / "readme.txt", oldData);
    const TKeyPair keys = GenerateKeyPair();
    Write(program / kPublicKeyFile, ToHex(keys.Public.data(), 32));
    // Files beside the installation that look like its own.
    Write(root / "elsewhere/HTTPVorlin", "another copy");
    Write(root / "elsewhere/Updates/httpvorl32ge-99.0.dat", "not ours");

    // The release on the server.
    const std::string newPatcher = Read(VORLIN_PATCHER) + "\n# next patcher\n";
    TUpdatePackage package;
    package.Patches = {{"readme.txt", BuildPatch(oldData, newData)}};
    package.Adds = {{"sub\\dir\\new.txt", "added"}, {"updater.new", newPatcher}};
    const std::string description = "httpvorl32ge-" + update::ProgramVersion() + ".upd";
    WriteSignedFile((site / description).string(),
                    "UpdateExists=1\r\nNewVersion=99.0\r\nChanges=faster;safer\r\nDatFile=httpvorl32ge-99.0.dat\r\n", keys);
    WriteSignedFile((site / "httpvorl32ge-99.0.dat").string(), WritePackage(package), keys);
    test::TNginxServer server(site.string());
    const test::TFolderSnapshot outsideBefore(root, {"program", "site", "run", "home"});

    // This test plays the scheduler, a companion the patcher waits for too.
    bool closeAsked = false;
    TMessageTarget companion([&](TMsg& msg) -> intptr_t {
        if (msg.Message == WM_SYSCOMMAND && msg.WParam == SC_CLOSE) closeAsked = true;
        return 0;
    });
    auto companionWindow = PublishWindow("TfmSchedulerMain", companion.Handle());
    ASSERT_TRUE(companionWindow);

    // What happened so far, for a failure's message.
    const auto evidence = [&] {
        std::string text = "\nrequests:\n" + server.AccessLog() + "program folder:";
        for (const auto& entry : fs::recursive_directory_iterator(program))
            if (entry.path().string().find("Plugins") == std::string::npos)
                text += " " + fs::relative(entry.path(), program).string();
        return text + "\nmain window: " + std::to_string(FindWindowByClass("THttpGetForm")) +
               ", patcher window: " + std::to_string(FindWindowByClass(kPatcherWindowClass));
    };
    TProcessFamily family;
    const pid_t first = family.Spawn(
        {(program / "HTTPVorlin").string(), "--home", home.string()},
        ProgramEnvironment({"XDG_RUNTIME_DIR=" + run.string(), "QT_QPA_PLATFORM=offscreen", "HOME=" + user.string(),
                            "HTTPVORLIN_UPDATE_HOST=" + server.BaseURL(), "HTTPVORLIN_UPDATE_NOW=1"}));
    ASSERT_GT(first, 0);

    ASSERT_TRUE(PumpUntil([&] { return closeAsked; }, 20000))
        << "the patcher runs and, once the main program has gone, asks the companion to close" << evidence();
    EXPECT_EQ(FindWindowByClass("THttpGetForm"), 0u) << "the first main program has closed";
    // What the restarted program writes at its close shows which home it uses.
    fs::remove(home / "HttpVorlin.ini");
    EXPECT_TRUE(fs::exists(program / "Updates/httpvorl32ge-99.0.dat")) << "the verified package";
    EXPECT_EQ(Read(program / "readme.txt"), oldData) << "nothing changes while a program runs";
    // The restarted program checks again: the server offers nothing more.
    WriteSignedFile((site / description).string(), "UpdateExists=0\r\n", keys);
    companionWindow.reset();

    // The restarted program installs the new patcher and ends the old one.
    EXPECT_TRUE(PumpUntil(
        [&] {
            return Read(program / "updater") == newPatcher && !FindWindowByClass(kPatcherWindowClass) &&
                   FindWindowByClass("THttpGetForm");
        },
        60000))
        << evidence();
    EXPECT_EQ(Read(program / "readme.txt"), newData);
    EXPECT_EQ(Read(program / "readme.txt.bak"), oldData);
    EXPECT_EQ(Read(program / "sub/dir/new.txt"), "added");
    EXPECT_EQ(Read(program / "updater.bak"), Read(VORLIN_PATCHER));
    EXPECT_FALSE(fs::exists(program / "updater.new"));
    EXPECT_FALSE(fs::exists(program / "Updates/httpvorl32ge-99.0.dat")) << "the applied package is cleared away";

    // The user closes the restarted program; every program ends well.
    if (TRemoteWindow restarted = FindWindowByClass("THttpGetForm")) PostRemoteMessage(restarted, WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_TRUE(PumpUntil([&] { return family.AllEnded(); }, 30000));
    EXPECT_EQ(family.Failures, 0);
    EXPECT_TRUE(fs::exists(home / "HttpVorlin.ini")) << "the restarted program keeps the home it was started with";
    EXPECT_FALSE(fs::exists(program / "HttpVorlin.ini"));
    EXPECT_EQ(outsideBefore.DifferencesTo(test::TFolderSnapshot(root, {"program", "site", "run", "home"})), "")
        << "nothing outside the program folder changes";
    fs::remove_all(root);
}
