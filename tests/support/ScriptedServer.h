// An HTTP server for tests, in the test process: listens on 127.0.0.1 on a
// free port, serves each accepted connection the next script (exact bytes,
// pauses, a close or a reset at any point, silence, several requests on one
// connection), and records the bytes every connection received (decrypted,
// over TLS). Connections beyond the scripts are closed at once after the
// request was read.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vorlin::test {

class TLoopbackListener;
struct TTestCertificate;

class TScript {
public:
    enum class TStepKind { skReadRequest, skSend, skPause, skClose, skReset, skSilence, skCut };
    struct TStep {
        TStepKind Kind;
        std::string Bytes;
        uint32_t Ms = 0;
    };

    // Reads until the blank line that ends the next request header (the
    // first, second, ... on this connection).
    TScript& ReadRequest();
    TScript& Send(std::string bytes);
    TScript& Pause(uint32_t ms);
    // Ends the connection gracefully (FIN; TLS: close_notify first) or with
    // a reset (RST).
    TScript& Close();
    TScript& Reset();
    // Ends the connection with a FIN but, over TLS, without close_notify.
    TScript& Cut();
    // Sends nothing more and waits until the client goes away.
    TScript& Silence();

    // A whole answer: read the request, send the bytes, close.
    static TScript Reply(std::string bytes);

    std::vector<TStep> Steps;
};

class TScriptedServer {
public:
    TScriptedServer();
    // Speaks TLS with this certificate on every connection.
    explicit TScriptedServer(const TTestCertificate& tls);
    ~TScriptedServer();
    TScriptedServer(const TScriptedServer&) = delete;
    TScriptedServer& operator=(const TScriptedServer&) = delete;

    uint16_t Port() const;
    // The TLS side of the server, or null when it speaks plain HTTP.
    const class TTlsServerContext* Tls() const;
    std::string Url(const std::string& path = "/") const;
    void AddScript(TScript script);
    // Request bytes per connection, in the order of acceptance.
    std::vector<std::string> Requests();
    int Connections();
    // True once every served connection has run its script to the end.
    bool Idle();

private:
    void Start();
    void Serve(int fd, size_t index);
    // Waits until the connection has sent its count-th request header.
    bool ReadRequest(class TServerStream& stream, size_t index, size_t count);
    void Record(size_t index, const char* data, size_t len);

    std::mutex FLock;
    std::vector<TScript> FScripts;
    std::vector<std::string> FRequests;
    std::atomic<int> FBusy{0};
    std::unique_ptr<TLoopbackListener> FListener;  // last: stops before the rest goes
};

} // namespace vorlin::test
