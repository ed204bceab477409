#include "tests/engine/SiteServer.h"

#include "platform/StringUtils.h"

#include <functional>

#include <poll.h>
#include <sys/socket.h>

namespace vorlin::test {

std::string TSiteRequest::Header(const std::string& name) const {
    for (const std::string& line : SplitLines(Raw)) {
        size_t colon = line.find(':');
        if (colon != std::string::npos && SameText(line.substr(0, colon), name)) return Trim(line.substr(colon + 1));
    }
    return std::string();
}

TSiteServer::TSiteServer() { Start(); }

TSiteServer::TSiteServer(const TTestCertificate& tls) {
    FListener.EnableTls(tls);
    Start();
}

void TSiteServer::Start() {
    FListener.Start([this](int fd) { return std::function<void()>([this, fd] { Serve(fd); }); });
}

TSiteServer::~TSiteServer() { FListener.Stop(); }

std::string TSiteServer::Url(const std::string& path) const { return FListener.Url(path); }

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

bool TSiteServer::ReadRequest(TServerStream& stream, std::string& raw) {
    while (raw.find("\r\n\r\n") == std::string::npos) {
        if (FListener.Stopping()) return false;
        char buf[4096];
        int n = stream.Receive(buf, sizeof buf, FListener.StopFlag());
        if (n < 0) continue;
        if (n == 0) return false;
        raw.append(buf, static_cast<size_t>(n));
    }
    return true;
}

void TSiteServer::Serve(int fd) {
    std::unique_ptr<TServerStream> stream = FListener.OpenStream(fd);
    std::string raw;
    TScript script;
    if (ReadRequest(*stream, raw)) {
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
        // The request is read already; a ReadRequest step in a route's script is a no-op.
        bool closedByClient = FListener.PlaySteps(*stream, script, [] { return true; }, nullptr);
        if (closedByClient) {
            std::lock_guard<std::mutex> g(FLock);
            ++FClosed[request.Path];
        }
    }
    FListener.CloseConnection(*stream, script);
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

} // namespace vorlin::test
