// A web site for run tests, in the test process on 127.0.0.1: every request
// is answered by the route of its path (the request target as sent, query
// included), so several connections may ask in any order. A route gives the
// steps after the request was read (exact bytes, pauses, a close or reset at
// any point, silence), and may answer each repetition differently. Paths
// without a route get a 404. Every request is recorded.
#pragma once

#include "tests/support/LoopbackListener.h"
#include "tests/support/ScriptedServer.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vorlin::test {

struct TSiteRequest {
    std::string Method;
    std::string Path;
    std::string Raw;  // the whole request header
    // The value of a header line, empty when absent (name without regard to case).
    std::string Header(const std::string& name) const;
};

class TSiteServer {
public:
    // nth counts the requests of this path so far, from 0.
    using THandler = std::function<TScript(const TSiteRequest& request, int nth)>;

    TSiteServer();
    // Every connection speaks TLS with this certificate ("https://" URLs).
    explicit TSiteServer(const TTestCertificate& tls);
    ~TSiteServer();
    TSiteServer(const TSiteServer&) = delete;
    TSiteServer& operator=(const TSiteServer&) = delete;

    uint16_t Port() const { return FListener.Port(); }
    // "http://127.0.0.1:port" + path ("https://" with TLS).
    std::string Url(const std::string& path = "/") const;

    void Route(const std::string& path, TScript answer);
    void Route(const std::string& path, THandler handler);
    // The answer for every path without a route (a 404 unless set).
    void SetDefault(THandler handler);

    std::vector<TSiteRequest> Requests();
    // The requests of one path, in order.
    std::vector<TSiteRequest> RequestsOf(const std::string& path);
    // The paths in the order they were asked for.
    std::vector<std::string> Paths();
    // The paths of the GET requests from the from-th request on.
    std::vector<std::string> Gets(size_t from = 0);
    // How many connections of this path the client closed while the server
    // kept silent (a Silence step that ended because the client went away).
    int ClosedByClient(const std::string& path);

    // Whole answers: status line, the given header lines, Content-Length
    // (unless withLength is false), the blank line and the body.
    static std::string Answer(int status, const std::string& reason, const std::vector<std::string>& headers,
                              const std::string& body, bool withLength = true);
    static TScript Page(const std::string& html, const std::vector<std::string>& headers = {});
    static TScript File(const std::string& body, const std::string& type,
                        const std::vector<std::string>& headers = {});
    static TScript Status(int status, const std::string& reason, const std::vector<std::string>& headers = {});

private:
    void Start();
    void Serve(int fd);
    bool ReadRequest(TServerStream& stream, std::string& raw);

    std::mutex FLock;
    std::map<std::string, THandler> FRoutes;
    THandler FDefault;
    std::map<std::string, int> FCounts;
    std::map<std::string, int> FClosed;
    std::vector<TSiteRequest> FRequests;
    TLoopbackListener FListener;  // last: its threads use the members above
};

} // namespace vorlin::test
