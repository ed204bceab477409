#include "tests/support/ScriptedServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorlin::test {

TScript& TScript::ReadRequest() {
    Steps.push_back({TStepKind::skReadRequest, {}, 0});
    return *this;
}
TScript& TScript::Send(std::string bytes) {
    Steps.push_back({TStepKind::skSend, std::move(bytes), 0});
    return *this;
}
TScript& TScript::Pause(uint32_t ms) {
    Steps.push_back({TStepKind::skPause, {}, ms});
    return *this;
}
TScript& TScript::Close() {
    Steps.push_back({TStepKind::skClose, {}, 0});
    return *this;
}
TScript& TScript::Reset() {
    Steps.push_back({TStepKind::skReset, {}, 0});
    return *this;
}
TScript& TScript::Silence() {
    Steps.push_back({TStepKind::skSilence, {}, 0});
    return *this;
}
TScript TScript::Reply(std::string bytes) {
    TScript s;
    s.ReadRequest().Send(std::move(bytes)).Close();
    return s;
}

TScriptedServer::TScriptedServer() {
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
    FAcceptor = std::thread([this] { AcceptLoop(); });
}

TScriptedServer::~TScriptedServer() {
    FStop = true;
    FAcceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> g(FLock);
        workers.swap(FWorkers);
    }
    for (auto& t : workers) t.join();
    close(FListen);
}

std::string TScriptedServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + path;
}

void TScriptedServer::AddScript(TScript script) {
    std::lock_guard<std::mutex> g(FLock);
    FScripts.push_back(std::move(script));
}

std::vector<std::string> TScriptedServer::Requests() {
    std::lock_guard<std::mutex> g(FLock);
    return FRequests;
}

int TScriptedServer::Connections() {
    std::lock_guard<std::mutex> g(FLock);
    return static_cast<int>(FRequests.size());
}

bool TScriptedServer::Idle() { return FBusy == 0; }

void TScriptedServer::AcceptLoop() {
    while (!FStop) {
        pollfd p{FListen, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> g(FLock);
        size_t index = FRequests.size();
        FRequests.emplace_back();
        ++FBusy;
        FWorkers.emplace_back([this, fd, index] { Serve(fd, index); });
    }
}

// Sleeps in small slices so that the destructor never waits long.
bool TScriptedServer::Wait(uint32_t ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!FStop && std::chrono::steady_clock::now() < end) usleep(2000);
    return !FStop;
}

void TScriptedServer::Record(size_t index, const char* data, size_t len) {
    std::lock_guard<std::mutex> g(FLock);
    FRequests[index].append(data, len);
}

bool TScriptedServer::ReadRequest(int fd, size_t index) {
    for (;;) {
        {
            std::lock_guard<std::mutex> g(FLock);
            if (FRequests[index].find("\r\n\r\n") != std::string::npos) return true;
        }
        if (FStop) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        Record(index, buf, static_cast<size_t>(n));
    }
}

void TScriptedServer::Serve(int fd, size_t index) {
    TScript script;
    {
        std::lock_guard<std::mutex> g(FLock);
        if (index < FScripts.size())
            script = FScripts[index];
        else
            script.ReadRequest().Close();
    }
    bool open = true;
    for (const TScript::TStep& step : script.Steps) {
        if (!open || FStop) break;
        switch (step.Kind) {
        case TScript::TStepKind::skReadRequest:
            open = ReadRequest(fd, index);
            break;
        case TScript::TStepKind::skSend: {
            size_t done = 0;
            while (done < step.Bytes.size() && !FStop) {
                ssize_t n = send(fd, step.Bytes.data() + done, step.Bytes.size() - done, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    open = false;
                    break;
                }
                done += static_cast<size_t>(n);
            }
            break;
        }
        case TScript::TStepKind::skPause:
            open = Wait(step.Ms);
            break;
        case TScript::TStepKind::skClose:
            shutdown(fd, SHUT_WR);
            open = false;
            break;
        case TScript::TStepKind::skReset: {
            linger l{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            open = false;
            break;
        }
        case TScript::TStepKind::skSilence:
            while (!FStop) {
                pollfd p{fd, POLLIN, 0};
                if (poll(&p, 1, 20) <= 0) continue;
                char buf[512];
                ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                Record(index, buf, static_cast<size_t>(n));
            }
            open = false;
            break;
        }
    }
    // After a graceful close, wait briefly for the client to finish so that
    // closing here never turns unread bytes into a reset.
    if (script.Steps.empty() || script.Steps.back().Kind != TScript::TStepKind::skReset) {
        for (int i = 0; i < 100 && !FStop; ++i) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[512];
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
        }
    }
    close(fd);
    --FBusy;
}

} // namespace vorlin::test
