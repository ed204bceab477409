// Atoms, windows found by class and title, posted messages, WM_COPYDATA and
// closing a window, between threads of this test and between this test and
// a second program (InterProcessPeer) that it starts and kills.
#include "platform/InterProcess.h"
#include "platform/InterProcess_p.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace vorlin;
using vorlin::test::PumpUntil;

namespace {

class InterProcess : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-ipc-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FBase = pattern;
        FDirectory = FBase + "/HTTPVorlin";
        SetInterProcessDirectoryForTests(FDirectory);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(FBase, ignored);
    }
    std::string FBase, FDirectory;
};

// A window published on a thread of its own, recording what reaches it and
// on which thread.
class TWindowThread {
public:
    TWindowThread(const std::string& windowClass, const std::string& title)
        : FThread([this, windowClass, title] { Run(windowClass, title); }) {
        while (!FReady) std::this_thread::yield();
    }
    ~TWindowThread() {
        FStop = true;
        FThread.join();
    }
    TRemoteWindow Window() const { return FWindow; }
    bool HandledOnOwnThread() const { return FOwnThread; }
    size_t Count() {
        std::lock_guard<std::mutex> g(FLock);
        return FSeen.size();
    }
    TMsg Take(size_t i) {
        std::lock_guard<std::mutex> g(FLock);
        TMsg m;
        m.Message = FSeen[i].Message;
        m.WParam = FSeen[i].WParam;
        m.LParam = FSeen[i].LParam;
        m.Payload = std::move(FSeen[i].Payload);
        return m;
    }

private:
    void Run(const std::string& windowClass, const std::string& title) {
        const std::thread::id self = std::this_thread::get_id();
        std::unique_ptr<TPublishedWindow> published;
        TMessageTarget target([&](TMsg& m) -> intptr_t {
            FOwnThread = FOwnThread && std::this_thread::get_id() == self;
            if (m.Message == WM_CLOSE) published.reset();
            std::lock_guard<std::mutex> g(FLock);
            FSeen.push_back(std::move(m));
            return 0;
        });
        published = PublishWindow(windowClass, target.Handle(), title);
        FWindow = published ? published->Window() : 0;
        FReady = true;
        PumpUntil([&] { return FStop.load(); }, 20000);
    }

    std::atomic<bool> FReady{false}, FStop{false}, FOwnThread{true};
    std::atomic<TRemoteWindow> FWindow{0};
    std::mutex FLock;
    std::vector<TMsg> FSeen;
    std::thread FThread;
};

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 5) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// The peer program, its output read line by line.
class TPeer {
public:
    explicit TPeer(const std::vector<std::string>& args) {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        std::vector<std::string> all{INTERPROCESS_PEER};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&FPid, INTERPROCESS_PEER, &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        FOut = pipeFds[0];
    }
    ~TPeer() {
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        if (FOut >= 0) close(FOut);
    }
    // The next line of output, empty after 5 s or at its end.
    std::string Line() {
        for (;;) {
            size_t nl = FBuffer.find('\n');
            if (nl != std::string::npos) {
                std::string line = FBuffer.substr(0, nl);
                FBuffer.erase(0, nl + 1);
                return line;
            }
            pollfd p{FOut, POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) return std::string();
            char chunk[256];
            ssize_t n = read(FOut, chunk, sizeof(chunk));
            if (n <= 0) return std::string();
            FBuffer.append(chunk, static_cast<size_t>(n));
        }
    }
    // Kills it as a crash would: nothing is cleaned up.
    void Crash() {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
    }
    int Wait() {
        int status = 0;
        waitpid(FPid, &status, 0);
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t FPid = -1;
    int FOut = -1;
    std::string FBuffer;
};

// A raw connection to this program's own server.
int ConnectToOwnServer(const std::string& directory) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = ipc::ProcessSocketPath(directory, getpid());
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string ReadAll(int fd) {
    std::string out;
    char chunk[256];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0) {
        ssize_t n = read(fd, chunk, sizeof(chunk));
        if (n <= 0) break;
        out.append(chunk, static_cast<size_t>(n));
    }
    return out;
}

} // namespace

TEST_F(InterProcess, AtomsAreCountedAndCompareWithoutCase) {
    EXPECT_FALSE(GlobalAtomExists("HW_MAIN"));
    ASSERT_TRUE(AddGlobalAtom("HW_MAIN"));
    ASSERT_TRUE(AddGlobalAtom("hw_main"));
    EXPECT_TRUE(GlobalAtomExists("Hw_Main"));
    DeleteGlobalAtom("HW_MAIN");
    EXPECT_TRUE(GlobalAtomExists("HW_MAIN")) << "one reference is left";
    DeleteGlobalAtom("HW_MAIN");
    EXPECT_FALSE(GlobalAtomExists("HW_MAIN"));
    // Names with characters a file name can't hold, and long names.
    const std::string odd = "a/../b c\\:*?";
    const std::string longName(600, 'x');
    ASSERT_TRUE(AddGlobalAtom(odd));
    ASSERT_TRUE(AddGlobalAtom(longName));
    EXPECT_TRUE(GlobalAtomExists(odd));
    EXPECT_TRUE(GlobalAtomExists(longName));
    EXPECT_FALSE(GlobalAtomExists(std::string(599, 'x')));
    DeleteGlobalAtom(odd);
    DeleteGlobalAtom(longName);
    for (const auto& entry : std::filesystem::directory_iterator(FDirectory))
        EXPECT_EQ(entry.path().filename().string().find(".."), std::string::npos) << entry.path();
    EXPECT_FALSE(AddGlobalAtom(""));
}

TEST_F(InterProcess, RegisteredMessagesAreTheSameInEveryProgramAndDistinct) {
    const uint32_t queueTask = RegisterWindowMessage("HWM_QUEUETASK");
    EXPECT_GE(queueTask, 0xC000u);
    EXPECT_LE(queueTask, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("hwm_queuetask"), queueTask);
    std::vector<uint32_t> numbers;
    for (const char* name : {"HWM_SCHEDULEPROJECT", "HWM_REQUESTPROJECT", "HWM_QUEUETASK", "HWM_REQUESTTASK"})
        numbers.push_back(RegisterWindowMessage(name));
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(std::unique(numbers.begin(), numbers.end()), numbers.end());

    TPeer peer({FDirectory, "TPeerForm", "Peer", "HW_PEER"});
    std::string ready = peer.Line();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    EXPECT_EQ(ready.substr(ready.rfind(' ') + 1), std::to_string(queueTask));
}

TEST_F(InterProcess, MessagesReachThePublishingThreadsLoop) {
    TWindowThread receiver("THttpGetForm", "HTTP Vorlin");
    ASSERT_NE(receiver.Window(), 0u);
    EXPECT_EQ(FindWindowByClass("THttpGetForm"), receiver.Window());
    EXPECT_EQ(FindWindowByClass("thttpgetform"), receiver.Window());
    EXPECT_EQ(FindWindowByTitle("HTTP Vorlin"), receiver.Window());
    EXPECT_EQ(FindWindowByTitle("HTTP vorlin"), 0u) << "titles compare exactly";
    EXPECT_EQ(FindWindowByClass("TfmSchedulerMain"), 0u);
    EXPECT_TRUE(IsWindow(receiver.Window()));

    // One program per class: a second publication is refused while the first lives.
    TMessageTarget other;
    EXPECT_EQ(PublishWindow("THttpGetForm", other.Handle()), nullptr);

    const uint32_t request = RegisterWindowMessage("HWM_REQUESTPROJECT");
    ASSERT_TRUE(PostRemoteMessage(receiver.Window(), request, 0xABCDEF0123ull, -7));
    TCopyData data;
    data.Tag = 42;
    const std::string path = "/Projects/News/Daily";
    data.Bytes.assign(path.begin(), path.end());
    data.Bytes.push_back(0);
    ASSERT_TRUE(SendCopyData(receiver.Window(), 0x55, data));
    ASSERT_TRUE(WaitFor([&] { return receiver.Count() == 2; }));
    TMsg first = receiver.Take(0);
    EXPECT_EQ(first.Message, request);
    EXPECT_EQ(first.WParam, 0xABCDEF0123ull);
    EXPECT_EQ(first.LParam, -7);
    TMsg second = receiver.Take(1);
    EXPECT_EQ(second.Message, WM_COPYDATA);
    EXPECT_EQ(second.WParam, 0x55u) << "the sender's window";
    TCopyData* got = second.PayloadAs<TCopyData>();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->Tag, 42u);
    EXPECT_EQ(got->Bytes, data.Bytes);
    EXPECT_TRUE(receiver.HandledOnOwnThread());

    // The run's messages carry pointers: no other program may post them.
    EXPECT_FALSE(PostRemoteMessage(receiver.Window(), WM_USER + 5, 1, 2));
    EXPECT_FALSE(PostRemoteMessage(receiver.Window(), WM_SYSCOMMAND, 0x1234));
    EXPECT_FALSE(PostRemoteMessage(receiver.Window() + 1, request)) << "a made-up window";
    EXPECT_FALSE(WaitFor([&] { return receiver.Count() > 2; }, 50));
}

TEST_F(InterProcess, AClosedWindowIsGoneAndItsClassFree) {
    TWindowThread receiver("AR_UPDATERCLASS", "HTTP Vorlin Update Wizard 0.6");
    const TRemoteWindow window = receiver.Window();
    int waits = 0;
    EXPECT_TRUE(CloseWindowAndWait(window, 5000, [&] { ++waits; }));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowByClass("AR_UPDATERCLASS"), 0u);
    EXPECT_FALSE(PostRemoteMessage(window, WM_CLOSE));
    EXPECT_TRUE(CloseWindowAndWait(window, 0)) << "already gone";

    TMessageTarget next;
    auto again = PublishWindow("AR_UPDATERCLASS", next.Handle());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->Window(), window) << "a new window never reuses the old value";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(InterProcess, AnotherProgramIsReachedAndClosed) {
    TPeer peer({FDirectory, "TfmSchedulerMain", "Scheduler", "HW_SCHEDULER"});
    ASSERT_EQ(peer.Line().rfind("ready ", 0), 0u);
    EXPECT_TRUE(GlobalAtomExists("HW_SCHEDULER"));
    const TRemoteWindow scheduler = FindWindowByClass("TfmSchedulerMain");
    ASSERT_NE(scheduler, 0u);
    EXPECT_EQ(FindWindowByTitle("Scheduler"), scheduler);

    ASSERT_TRUE(PostRemoteMessage(scheduler, RegisterWindowMessage("HWM_REQUESTTASK"), 5, 6));
    EXPECT_EQ(peer.Line(), "message " + std::to_string(RegisterWindowMessage("HWM_REQUESTTASK")) + " 5 6");
    TCopyData data;
    data.Tag = 1;
    data.Bytes = {'/', 'P', 'r', 'o', 'j', 'e', 'c', 't', 's'};
    ASSERT_TRUE(SendCopyData(scheduler, 0, data));
    EXPECT_EQ(peer.Line(), "copy 1 /Projects");

    EXPECT_TRUE(CloseWindowAndWait(scheduler, 5000));
    EXPECT_EQ(peer.Line(), "closed");
    EXPECT_EQ(peer.Wait(), 0);
    EXPECT_FALSE(GlobalAtomExists("HW_SCHEDULER")) << "ended with its program";
}

TEST_F(InterProcess, NamesOfAProgramThatDiedAreTakenOver) {
    TPeer peer({FDirectory, "THttpGetForm", "HTTP Vorlin", "HW_MAIN"});
    ASSERT_EQ(peer.Line().rfind("ready ", 0), 0u);
    const TRemoteWindow old = FindWindowByClass("THttpGetForm");
    ASSERT_NE(old, 0u);
    TMessageTarget mine;
    EXPECT_EQ(PublishWindow("THttpGetForm", mine.Handle()), nullptr) << "taken while it runs";
    ASSERT_TRUE(GlobalAtomExists("HW_MAIN"));

    peer.Crash();
    // Its entries are still in the directory, but nobody answers for them.
    EXPECT_FALSE(GlobalAtomExists("HW_MAIN"));
    EXPECT_EQ(FindWindowByClass("THttpGetForm"), 0u);
    EXPECT_FALSE(PostRemoteMessage(old, WM_CLOSE));
    EXPECT_FALSE(IsWindow(old));
    auto published = PublishWindow("THttpGetForm", mine.Handle());
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(FindWindowByClass("THttpGetForm"), published->Window());

    // An entry with garbage in it is no window either, and is taken over too.
    const std::string entry = ipc::WindowEntryPath(FDirectory, "TGarbage");
    ASSERT_EQ(symlink("../../etc/passwd", entry.c_str()), 0);
    EXPECT_EQ(FindWindowByClass("TGarbage"), 0u);
    EXPECT_NE(PublishWindow("TGarbage", mine.Handle()), nullptr);
}

TEST_F(InterProcess, BadFramesAreRefusedAndAnIdlePeerBlocksNobody) {
    TWindowThread receiver("TBadFrames", "t");
    // A connection that never sends its request does not hold up others.
    int idle = ConnectToOwnServer(FDirectory);
    ASSERT_GE(idle, 0);
    EXPECT_EQ(FindWindowByClass("TBadFrames"), receiver.Window());

    int bad = ConnectToOwnServer(FDirectory);
    ASSERT_GE(bad, 0);
    ASSERT_EQ(write(bad, "GET / HTTP/1.0\r\n\r\n", 18), 18);
    std::string reply = ReadAll(bad);
    ASSERT_EQ(reply.size(), ipc::kHeaderSize) << "refused, then closed";
    EXPECT_EQ(reply[5], static_cast<char>(ipc::TStatus::stRefused));
    close(bad);

    // A header that announces 4 GB is refused without waiting for them.
    int huge = ConnectToOwnServer(FDirectory);
    std::string header = std::string("VIPC\x01\x05\0\0", 8) + std::string("\xff\xff\xff\xff", 4);
    ASSERT_EQ(write(huge, header.data(), header.size()), static_cast<ssize_t>(header.size()));
    reply = ReadAll(huge);
    ASSERT_EQ(reply.size(), ipc::kHeaderSize);
    EXPECT_EQ(reply[5], static_cast<char>(ipc::TStatus::stRefused));
    close(huge);
    close(idle);

    EXPECT_EQ(receiver.Count(), 0u) << "nothing of it reached the window";
    EXPECT_TRUE(IsWindow(receiver.Window()));
}

TEST_F(InterProcess, ADirectoryOthersCouldUseIsMadePrivateOrRefused) {
    ASSERT_EQ(mkdir(FDirectory.c_str(), 0777), 0);
    chmod(FDirectory.c_str(), 0777);
    ASSERT_TRUE(AddGlobalAtom("HW_MAIN"));
    struct stat st {};
    ASSERT_EQ(stat(FDirectory.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    DeleteGlobalAtom("HW_MAIN");

    // A symbolic link in its place could lead anywhere: not used.
    const std::string link = FBase + "/link";
    ASSERT_EQ(symlink(FDirectory.c_str(), link.c_str()), 0);
    SetInterProcessDirectoryForTests(link);
    EXPECT_FALSE(AddGlobalAtom("HW_OTHER"));
    EXPECT_EQ(FindWindowByClass("THttpGetForm"), 0u);
    TMessageTarget target;
    EXPECT_EQ(PublishWindow("THttpGetForm", target.Handle()), nullptr);
}
