// This program's end of the inter-program layer: a socket "p-<pid>" in the
// runtime directory and one thread that answers on it. The thread only
// checks frames and posts what they carry into the message queue of the
// thread that published the window, so a busy or blocked user interface
// never keeps another program waiting, and every message still arrives in
// that thread's own loop.
//
// The thread's loop: wait (epoll) for a new connection, bytes on an open
// one, the stop signal or the nearest deadline; read what arrived; answer a
// complete request and close; refuse a malformed one and close; close a
// connection that has not sent its request within its time.
#include "platform/InterProcess_p.h"

#include "platform/DebugLog.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <unordered_map>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vorlin::ipc {

namespace {

constexpr int kRequestTimeoutMs = 2000;
constexpr size_t kMaxConnections = 64;

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// Which messages another program may post. Everything a window handles
// with a pointer in its parameters (the run's WM_USER messages) stays out.
bool MayCrossPrograms(uint32_t message, uint64_t wParam) {
    if (message >= 0xC000 && message <= 0xFFFF) return true;  // registered messages
    if (message == WM_SYSCOMMAND) return wParam == SC_CLOSE;
    return message == WM_NULL || message == WM_CLOSE || message == WM_QUIT;
}

struct TWindowEntry {
    THandle Target = 0;
    std::string Class;
    std::string Title;
};

struct TConnection {
    std::string In;
    uint64_t Deadline = 0;
};

class THostImpl final : public THost {
public:
    explicit THostImpl(std::string directory) : FDirectory(std::move(directory)), FPid(getpid()) {}
    ~THostImpl() override;

    bool Start();

    const std::string& Directory() const override { return FDirectory; }
    TRemoteWindow AddWindow(THandle target, const std::string& windowClass, const std::string& title) override;
    void RemoveWindow(TRemoteWindow window) override;
    void SetTitle(TRemoteWindow window, const std::string& title) override;
    bool HasWindow(TRemoteWindow window) const override;
    bool AddAtom(const std::string& name) override;
    bool RemoveAtom(const std::string& name) override;

private:
    void Loop();
    void Accept();
    // False when the connection is done (answered, refused or broken).
    bool Read(int fd, TConnection& connection);
    TReply Handle(const TRequest& request);
    TReply Post(const std::string& body);
    TReply CopyData(const std::string& body);
    void Close(int fd);
    bool Owns(const std::string& path, const std::string& content) const;

    const std::string FDirectory;
    const pid_t FPid;
    std::string FSocketPath;
    ino_t FSocketInode = 0;
    int FListen = -1, FEpoll = -1, FStop = -1;
    std::thread FThread;
    std::unordered_map<int, TConnection> FConnections;

    mutable std::mutex FLock;  // the tables below; the thread reads them
    std::unordered_map<uint32_t, TWindowEntry> FWindows;
    std::map<std::string, int> FAtoms;  // case-folded name, reference count
    std::mt19937 FRandom{std::random_device{}()};
};

bool THostImpl::Start() {
    FSocketPath = ProcessSocketPath(FDirectory, FPid);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (FSocketPath.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, FSocketPath.c_str(), FSocketPath.size() + 1);

    FListen = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    FEpoll = epoll_create1(EPOLL_CLOEXEC);
    FStop = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FListen < 0 || FEpoll < 0 || FStop < 0) return false;
    {
        // A name of our pid can only be left over from a dead program.
        TDirectoryLock lock(FDirectory);
        unlink(FSocketPath.c_str());
        if (bind(FListen, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) return false;
        struct stat st {};
        if (stat(FSocketPath.c_str(), &st) == 0) FSocketInode = st.st_ino;
    }
    if (listen(FListen, 16) != 0) return false;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = FListen;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FListen, &ev);
    ev.data.fd = FStop;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FStop, &ev);
    FThread = std::thread([this] { Loop(); });
    return true;
}

THostImpl::~THostImpl() {
    if (FThread.joinable()) {
        uint64_t one = 1;
        ssize_t ignored = write(FStop, &one, sizeof(one));
        (void)ignored;
        FThread.join();
    }
    for (auto& [fd, connection] : FConnections) close(fd);
    {
        TDirectoryLock lock(FDirectory);
        for (const auto& [id, window] : FWindows) {
            const std::string path = WindowEntryPath(FDirectory, window.Class);
            if (Owns(path, WindowEntryTarget(MakeWindow(FPid, id)))) unlink(path.c_str());
        }
        for (const auto& [name, count] : FAtoms) unlink((AtomEntryPrefix(FDirectory, name) + std::to_string(FPid)).c_str());
        struct stat st {};
        if (FSocketInode != 0 && stat(FSocketPath.c_str(), &st) == 0 && st.st_ino == FSocketInode)
            unlink(FSocketPath.c_str());
    }
    for (int fd : {FListen, FEpoll, FStop})
        if (fd >= 0) close(fd);
}

bool THostImpl::Owns(const std::string& path, const std::string& content) const {
    char buffer[64];
    ssize_t n = readlink(path.c_str(), buffer, sizeof(buffer));
    return n > 0 && std::string(buffer, static_cast<size_t>(n)) == content;
}

// --- The thread ------------------------------------------------------------

void THostImpl::Loop() {
    epoll_event events[16];
    for (;;) {
        int timeout = -1;
        const uint64_t now = NowMs();
        for (const auto& [fd, connection] : FConnections) {
            int left = connection.Deadline > now ? static_cast<int>(connection.Deadline - now) : 0;
            if (timeout < 0 || left < timeout) timeout = left;
        }
        int n = epoll_wait(FEpoll, events, 16, timeout);
        if (n < 0 && errno != EINTR) {
            DebugLog(std::string("Inter-program server stopped: ") + std::strerror(errno));
            return;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == FStop) return;
            if (fd == FListen) {
                Accept();
                continue;
            }
            auto it = FConnections.find(fd);
            if (it != FConnections.end() && !Read(fd, it->second)) Close(fd);
        }
        const uint64_t later = NowMs();
        for (auto it = FConnections.begin(); it != FConnections.end();) {
            if (it->second.Deadline > later) {
                ++it;
                continue;
            }
            close(it->first);
            it = FConnections.erase(it);
        }
    }
}

void THostImpl::Accept() {
    for (;;) {
        int fd = accept4(FListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;  // EAGAIN: all taken; anything else: try again on the next event
        }
        if (!PeerIsUs(fd) || FConnections.size() >= kMaxConnections) {
            close(fd);
            continue;
        }
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLRDHUP;
        ev.data.fd = fd;
        if (epoll_ctl(FEpoll, EPOLL_CTL_ADD, fd, &ev) != 0) {
            close(fd);
            continue;
        }
        FConnections[fd] = TConnection{std::string(), NowMs() + kRequestTimeoutMs};
    }
}

bool THostImpl::Read(int fd, TConnection& connection) {
    char chunk[16384];
    for (;;) {
        ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;  // wait for more
        if (n <= 0) return false;
        connection.In.append(chunk, static_cast<size_t>(n));

        TRequest request;
        size_t used = 0;
        TReply reply;
        switch (DecodeRequest(connection.In, request, used)) {
        case TParse::psIncomplete:
            continue;
        case TParse::psBad:
            reply.Status = TStatus::stRefused;
            break;
        case TParse::psComplete:
            // One request per connection: bytes after it are a broken peer.
            reply = used == connection.In.size() ? Handle(request) : TReply{TStatus::stRefused, {}};
            break;
        }
        const std::string bytes = EncodeReply(reply);
        ssize_t ignored = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        (void)ignored;
        return false;
    }
}

void THostImpl::Close(int fd) {
    epoll_ctl(FEpoll, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    FConnections.erase(fd);
}

TReply THostImpl::Handle(const TRequest& request) {
    switch (request.Op) {
    case TOp::opHello:
        return TReply{TStatus::stOk, {}};
    case TOp::opHoldsAtom: {
        std::lock_guard<std::mutex> guard(FLock);
        return TReply{FAtoms.count(LowerCase(request.Body)) ? TStatus::stOk : TStatus::stAbsent, {}};
    }
    case TOp::opQueryWindow: {
        uint32_t id = 0;
        if (!DecodeWindowId(request.Body, id)) return TReply{TStatus::stRefused, {}};
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FWindows.find(id);
        if (it == FWindows.end()) return TReply{TStatus::stAbsent, {}};
        return TReply{TStatus::stOk, it->second.Title.substr(0, kMaxTitle)};
    }
    case TOp::opPost:
        return Post(request.Body);
    case TOp::opCopyData:
        return CopyData(request.Body);
    }
    return TReply{TStatus::stRefused, {}};
}

TReply THostImpl::Post(const std::string& body) {
    TPostBody post;
    if (!DecodePost(body, post) || !MayCrossPrograms(post.Message, post.WParam)) return TReply{TStatus::stRefused, {}};
    THandle target = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FWindows.find(post.Window);
        if (it != FWindows.end()) target = it->second.Target;
    }
    bool posted = target != 0 && PostMessage(target, post.Message, static_cast<uintptr_t>(post.WParam),
                                             static_cast<intptr_t>(post.LParam));
    return TReply{posted ? TStatus::stOk : TStatus::stAbsent, {}};
}

TReply THostImpl::CopyData(const std::string& body) {
    TCopyDataBody data;
    if (!DecodeCopyData(body, data)) return TReply{TStatus::stRefused, {}};
    THandle target = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FWindows.find(data.Window);
        if (it != FWindows.end()) target = it->second.Target;
    }
    TCopyData payload;
    payload.Tag = static_cast<uintptr_t>(data.Tag);
    payload.Bytes.assign(data.Data.begin(), data.Data.end());
    bool posted = target != 0 && PostMessage(target, WM_COPYDATA, static_cast<uintptr_t>(data.Sender), 0,
                                             MakePayload(std::move(payload)));
    return TReply{posted ? TStatus::stOk : TStatus::stAbsent, {}};
}

// --- Tables ------------------------------------------------------------------

TRemoteWindow THostImpl::AddWindow(THandle target, const std::string& windowClass, const std::string& title) {
    if (target == 0 || windowClass.empty()) return 0;
    const std::string path = WindowEntryPath(FDirectory, windowClass);
    TDirectoryLock lock(FDirectory);
    char buffer[64];
    ssize_t n = readlink(path.c_str(), buffer, sizeof(buffer));
    if (n > 0) {
        TRemoteWindow holder = ParseWindowEntryTarget(std::string_view(buffer, static_cast<size_t>(n)));
        bool alive = ProcessOf(holder) == FPid ? HasWindow(holder) : QueryWindow(FDirectory, holder);
        if (alive) return 0;
    }
    // Stale (its program died) or garbage: taken over.
    unlink(path.c_str());

    TRemoteWindow window = 0;
    {
        std::lock_guard<std::mutex> guard(FLock);
        uint32_t id = 0;
        while (id == 0 || FWindows.count(id)) id = static_cast<uint32_t>(FRandom());
        FWindows[id] = TWindowEntry{target, windowClass, title};
        window = MakeWindow(FPid, id);
    }
    if (symlink(WindowEntryTarget(window).c_str(), path.c_str()) != 0) {
        std::lock_guard<std::mutex> guard(FLock);
        FWindows.erase(IdOf(window));
        return 0;
    }
    return window;
}

void THostImpl::RemoveWindow(TRemoteWindow window) {
    std::string windowClass;
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FWindows.find(IdOf(window));
        if (it == FWindows.end()) return;
        windowClass = it->second.Class;
        FWindows.erase(it);
    }
    const std::string path = WindowEntryPath(FDirectory, windowClass);
    TDirectoryLock lock(FDirectory);
    if (Owns(path, WindowEntryTarget(window))) unlink(path.c_str());
}

void THostImpl::SetTitle(TRemoteWindow window, const std::string& title) {
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FWindows.find(IdOf(window));
    if (it != FWindows.end()) it->second.Title = title;
}

bool THostImpl::HasWindow(TRemoteWindow window) const {
    std::lock_guard<std::mutex> guard(FLock);
    return ProcessOf(window) == FPid && FWindows.count(IdOf(window)) != 0;
}

bool THostImpl::AddAtom(const std::string& name) {
    if (name.empty() || name.size() > kMaxName) return false;
    const std::string folded = LowerCase(name);
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (FAtoms[folded]++ > 0) return true;
    }
    const std::string path = AtomEntryPrefix(FDirectory, name) + std::to_string(FPid);
    TDirectoryLock lock(FDirectory);
    unlink(path.c_str());  // a dead program's of our pid
    if (symlink(("p-" + std::to_string(FPid)).c_str(), path.c_str()) == 0) return true;
    std::lock_guard<std::mutex> guard(FLock);
    FAtoms.erase(folded);
    return false;
}

bool THostImpl::RemoveAtom(const std::string& name) {
    const std::string folded = LowerCase(name);
    {
        std::lock_guard<std::mutex> guard(FLock);
        auto it = FAtoms.find(folded);
        if (it == FAtoms.end()) return false;
        if (--it->second > 0) return false;
        FAtoms.erase(it);
    }
    TDirectoryLock lock(FDirectory);
    unlink((AtomEntryPrefix(FDirectory, name) + std::to_string(FPid)).c_str());
    return true;
}

// Hosts by directory: the current one is kept alive (its atoms need no
// other owner); one of an earlier directory lives while windows use it.
struct THostTable {
    std::mutex Lock;
    std::map<std::string, std::weak_ptr<THostImpl>> ByDirectory;
    std::shared_ptr<THostImpl> Current;
};

THostTable& Hosts() {
    // Made on first use and ended with the program: the host's thread is
    // stopped and its names removed by the destructor.
    static THostTable table;
    return table;
}

} // namespace

std::shared_ptr<THost> THost::Get() {
    const std::string directory = UsableDirectory();
    if (directory.empty()) return nullptr;
    THostTable& table = Hosts();
    std::lock_guard<std::mutex> guard(table.Lock);
    if (table.Current && table.Current->Directory() == directory) return table.Current;
    std::shared_ptr<THostImpl> host = table.ByDirectory[directory].lock();
    if (!host) {
        host = std::make_shared<THostImpl>(directory);
        if (!host->Start()) {
            DebugLog("Inter-program server could not start in " + directory);
            return nullptr;
        }
        table.ByDirectory[directory] = host;
    }
    table.Current = host;
    return host;
}

} // namespace vorlin::ipc
