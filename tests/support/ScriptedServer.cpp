#include "tests/support/ScriptedServer.h"

#include "tests/support/LoopbackListener.h"
#include "tests/support/ServerStream.h"

#include <functional>

#include <poll.h>
#include <sys/socket.h>

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
TScript& TScript::Cut() {
    Steps.push_back({TStepKind::skCut, {}, 0});
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

TScriptedServer::TScriptedServer() : FListener(std::make_unique<TLoopbackListener>()) { Start(); }

TScriptedServer::TScriptedServer(const TTestCertificate& tls) : FListener(std::make_unique<TLoopbackListener>()) {
    FListener->EnableTls(tls);
    Start();
}

void TScriptedServer::Start() {
    FListener->Start([this](int fd) {
        std::lock_guard<std::mutex> g(FLock);
        size_t index = FRequests.size();
        FRequests.emplace_back();
        ++FBusy;
        return std::function<void()>([this, fd, index] { Serve(fd, index); });
    });
}

TScriptedServer::~TScriptedServer() { FListener->Stop(); }

uint16_t TScriptedServer::Port() const { return FListener->Port(); }

const TTlsServerContext* TScriptedServer::Tls() const { return FListener->Tls(); }

std::string TScriptedServer::Url(const std::string& path) const { return FListener->Url(path); }

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

void TScriptedServer::Record(size_t index, const char* data, size_t len) {
    std::lock_guard<std::mutex> g(FLock);
    FRequests[index].append(data, len);
}

bool TScriptedServer::ReadRequest(TServerStream& stream, size_t index, size_t count) {
    auto headers = [&] {
        std::lock_guard<std::mutex> g(FLock);
        size_t found = 0;
        for (size_t p = FRequests[index].find("\r\n\r\n"); p != std::string::npos;
             p = FRequests[index].find("\r\n\r\n", p + 4))
            ++found;
        return found;
    };
    for (;;) {
        if (headers() >= count) return true;
        if (FListener->Stopping()) return false;
        char buf[4096];
        int n = stream.Receive(buf, sizeof buf, FListener->StopFlag());
        if (n < 0) continue;
        if (n == 0) return false;
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
    std::unique_ptr<TServerStream> stream = FListener->OpenStream(fd);
    size_t requests = 0;
    FListener->PlaySteps(
        *stream, script, [&] { return ReadRequest(*stream, index, ++requests); },
        [&](const char* data, size_t len) { Record(index, data, len); });
    FListener->CloseConnection(*stream, script);
    --FBusy;
}

} // namespace vorlin::test
