#include "tests/support/LoopbackListener.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorlin::test {
namespace {

// Waits up to 20 ms for bytes, so loops can look at the stop flag.
bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 20) > 0;
}

} // namespace

TLoopbackListener::TLoopbackListener() {
    FListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(FListen, 64);
    socklen_t len = sizeof a;
    getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
    FPort = ntohs(a.sin_port);
}

TLoopbackListener::~TLoopbackListener() { Stop(); }

void TLoopbackListener::EnableTls(const TTestCertificate& certificate) {
    FTls = std::make_unique<TTlsServerContext>(certificate);
}

std::unique_ptr<TServerStream> TLoopbackListener::OpenStream(int fd) const {
    if (FTls) return FTls->Wrap(fd);
    return std::make_unique<TServerStream>(fd);
}

void TLoopbackListener::Start(TAccept accept) {
    FAccept = std::move(accept);
    FAcceptor = std::thread([this] { AcceptLoop(); });
}

void TLoopbackListener::Stop() {
    FStop = true;
    if (FAcceptor.joinable()) FAcceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> g(FLock);
        workers.swap(FWorkers);
    }
    for (auto& t : workers) t.join();
    if (FListen >= 0) close(FListen);
    FListen = -1;
}

std::string TLoopbackListener::Url(const std::string& path) const {
    return (FTls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(FPort) + path;
}

bool TLoopbackListener::Wait(uint32_t ms) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!FStop && std::chrono::steady_clock::now() < end) usleep(2000);
    return !FStop;
}

void TLoopbackListener::AcceptLoop() {
    while (!FStop) {
        if (!Readable(FListen)) continue;
        int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::function<void()> serve = FAccept(fd);
        std::lock_guard<std::mutex> g(FLock);
        FWorkers.emplace_back(std::move(serve));
    }
}

bool TLoopbackListener::PlaySteps(TServerStream& stream, const TScript& script,
                                  const std::function<bool()>& readRequest,
                                  const std::function<void(const char*, size_t)>& received) const {
    const int fd = stream.Fd();
    for (auto step = script.Steps.begin(); step != script.Steps.end(); ++step) {
        if (FStop) return false;
        switch (step->Kind) {
        case TScript::TStepKind::skReadRequest:
            if (!readRequest()) return false;
            break;
        case TScript::TStepKind::skSend:
            // A client that aborts (a hard close) before the server is
            // through sending has gone away as surely as one that closes
            // while the server keeps silent.
            if (!stream.SendAll(step->Bytes, FStop))
                return !FStop && std::any_of(step, script.Steps.end(), [](const TScript::TStep& later) {
                    return later.Kind == TScript::TStepKind::skSilence;
                });
            break;
        case TScript::TStepKind::skPause:
            if (!Wait(step->Ms)) return false;
            break;
        case TScript::TStepKind::skClose:
            stream.Close();
            return false;
        case TScript::TStepKind::skCut:
            stream.Cut();
            return false;
        case TScript::TStepKind::skReset: {
            linger l{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            return false;
        }
        case TScript::TStepKind::skSilence:
            while (!FStop) {
                char buf[512];
                int n = stream.Receive(buf, sizeof buf, FStop);
                if (n < 0) continue;
                if (n == 0) return true;
                if (received) received(buf, static_cast<size_t>(n));
            }
            return false;
        }
    }
    return false;
}

void TLoopbackListener::CloseConnection(TServerStream& stream, const TScript& script) const {
    const int fd = stream.Fd();
    if (script.Steps.empty() || script.Steps.back().Kind != TScript::TStepKind::skReset) {
        for (int i = 0; i < 100 && !FStop; ++i) {
            if (!Readable(fd)) continue;
            char buf[512];
            if (recv(fd, buf, sizeof buf, 0) <= 0) break;
        }
    }
    close(fd);
}

} // namespace vorlin::test
