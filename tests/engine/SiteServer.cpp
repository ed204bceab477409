#include "tests/engine/SiteServer.h"

#include "platform/StringUtils.h"

#include <cerrno>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorlin::test {

std::string TSiteRequest::Header(const std::string& name) const {
    for (const std::string& line : SplitLines(Raw)) {
        size_t colon = line.find(':');
        if (colon != std::string::npos && SameText(line.substr(0, colon), name)) return Trim(line.substr(colon + 1));
    }
    return std::string();
}

TSiteServer::TSiteServer() {
    FListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(FListen, 64);
    socklen_t len = sizeof a;
    getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
    FPort = ntohs(a.sin_port);
    FAcceptor = std::thread([this] { AcceptLoop(); });
}

TSiteServer::~TSiteServer() {
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

std::string TSiteServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + path;
}

void TSiteServer::Route(const std::string& path, TScript answer) {
    Route(path, [answer](const TSiteRequest&, int) { return answer; });
}

void TSiteServer::Route(const std::string& path, THandler handler) {
    std::lock_guard<std::mutex> g(FLock);
    FRoutes[path] = std::move(handler);
}

void TSiteServer::SetDefault(THandler handler) {
    std::lock_guard<std::mutex> g(FLock);
    FDefault = std::move(handler);
}

std::vector<TSiteRequest> TSiteServer::Requests() {
    std::lock_guard<std::mutex> g(FLock);
    return FRequests;
}

std::vector<TSiteRequest> TSiteServer::RequestsOf(const std::string& path) {
    std::vector<TSiteRequest> result;
    for (TSiteRequest& r : Requests())
        if (r.Path == path) result.push_back(std::move(r));
    return result;
}

std::vector<std::string> TSiteServer::Paths() {
    std::vector<std::string> result;
    for (const TSiteRequest& r : Requests()) result.push_back(r.Path);
    return result;
}

std::string TSiteServer::Answer(int status, const std::string& reason, const std::vector<std::string>& headers,
                                const std::string& body, bool withLength) {
    std::string answer = "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\n";
    for (const std::string& h : headers) answer += h + "\r\n";
    if (withLength) answer += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return answer + "\r\n" + body;
}

TScript TSiteServer::Page(const std::string& html, const std::vector<std::string>& headers) {
    std::vector<std::string> all = {"Content-Type: text/html"};
    all.insert(all.end(), headers.begin(), headers.end());
    return TScript().Send(Answer(200, "OK", all, html)).Close();
}

TScript TSiteServer::File(const std::string& body, const std::string& type, const std::vector<std::string>& headers) {
    std::vector<std::string> all = {"Content-Type: " + type};
    all.insert(all.end(), headers.begin(), headers.end());
    return TScript().Send(Answer(200, "OK", all, body)).Close();
}

TScript TSiteServer::Status(int status, const std::string& reason, const std::vector<std::string>& headers) {
    return TScript().Send(Answer(status, reason, headers, "")).Close();
}

void TSiteServer::AcceptLoop() {
    while (!FStop) {
        pollfd p{FListen, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> g(FLock);
        FWorkers.emplace_back([this, fd] { Serve(fd); });
    }
}

bool TSiteServer::Wait(uint32_t ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!FStop && std::chrono::steady_clock::now() < end) usleep(2000);
    return !FStop;
}

bool TSiteServer::ReadRequest(int fd, std::string& raw) {
    while (raw.find("\r\n\r\n") == std::string::npos) {
        if (FStop) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        raw.append(buf, static_cast<size_t>(n));
    }
    return true;
}

void TSiteServer::Serve(int fd) {
    std::string raw;
    TScript script;
    bool reset = false;
    if (ReadRequest(fd, raw)) {
        TSiteRequest request;
        request.Raw = raw.substr(0, raw.find("\r\n\r\n"));
        std::string line = request.Raw.substr(0, request.Raw.find("\r\n"));
        size_t blank = line.find(' ');
        request.Method = line.substr(0, blank);
        size_t second = line.find(' ', blank + 1);
        request.Path = blank == std::string::npos ? std::string() : line.substr(blank + 1, second - blank - 1);
        THandler handler;
        int nth = 0;
        {
            std::lock_guard<std::mutex> g(FLock);
            FRequests.push_back(request);
            auto route = FRoutes.find(request.Path);
            handler = route != FRoutes.end() ? route->second : FDefault;
            nth = FCounts[request.Path]++;
        }
        script = handler ? handler(request, nth) : Status(404, "Not Found");
        RunSteps(fd, script, request.Path);
        reset = !script.Steps.empty() && script.Steps.back().Kind == TScript::TStepKind::skReset;
    }
    if (!reset) {
        // Wait briefly for the client to close, so that closing here never
        // turns unread bytes into a reset.
        for (int i = 0; i < 100 && !FStop; ++i) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[512];
            if (recv(fd, buf, sizeof buf, 0) <= 0) break;
        }
    }
    close(fd);
}

std::vector<std::string> TSiteServer::Gets(size_t from) {
    std::vector<std::string> paths;
    auto requests = Requests();
    for (size_t i = from; i < requests.size(); ++i)
        if (requests[i].Method == "GET") paths.push_back(requests[i].Path);
    return paths;
}

int TSiteServer::ClosedByClient(const std::string& path) {
    std::lock_guard<std::mutex> g(FLock);
    auto it = FClosed.find(path);
    return it == FClosed.end() ? 0 : it->second;
}

void TSiteServer::RunSteps(int fd, const TScript& script, const std::string& path) {
    for (const TScript::TStep& step : script.Steps) {
        if (FStop) return;
        switch (step.Kind) {
        case TScript::TStepKind::skReadRequest:
            break;  // read already
        case TScript::TStepKind::skSend: {
            size_t done = 0;
            while (done < step.Bytes.size() && !FStop) {
                ssize_t n = send(fd, step.Bytes.data() + done, step.Bytes.size() - done, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return;
                done += static_cast<size_t>(n);
            }
            break;
        }
        case TScript::TStepKind::skPause:
            if (!Wait(step.Ms)) return;
            break;
        case TScript::TStepKind::skClose:
            shutdown(fd, SHUT_WR);
            return;
        case TScript::TStepKind::skReset: {
            linger l{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            return;
        }
        case TScript::TStepKind::skSilence:
            while (!FStop) {
                pollfd p{fd, POLLIN, 0};
                if (poll(&p, 1, 20) <= 0) continue;
                char buf[512];
                if (recv(fd, buf, sizeof buf, 0) <= 0) {
                    std::lock_guard<std::mutex> g(FLock);
                    ++FClosed[path];
                    break;
                }
            }
            return;
        }
    }
}

} // namespace vorlin::test
