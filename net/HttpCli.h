// THttpCli: an event-driven HTTP client. One request at a time, started by
// Get or Head, which return at once; progress comes through events that the
// owning thread's loop delivers, and every request ends with exactly one
// OnRequestDone. The body is never held: each piece goes to ReceiveStream
// (when set) and to OnDocData.
//
// By default it speaks HTTP/1.0 over a connection of its own per request,
// and the server's close ends the body. With KeepAlive it speaks HTTP/1.1:
// the body ends where its length or its chunked coding says, and the
// connection waits in a pool for the next request to the same server. An
// "https://" URL is fetched over TLS (through a proxy: in a CONNECT tunnel).
#pragma once

#include "net/ChunkedDecoder.h"
#include "net/HttpConnection.h"
#include "net/TlsContext.h"
#include "net/WSocket.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/MessageTarget.h"
#include "platform/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vorlin {

class THttpConnectionPool;
class THttpCli;

// A rate limit shared by the clients of one thread: how much a client may
// read now. A client told 0 holds reading on its socket and waits for
// ResumeReading.
class IReadThrottle {
public:
    virtual int Allowance(int wanted) = 0;
    virtual void Consumed(int bytes) = 0;
    // The client holds its reading until it is resumed.
    virtual void Holding(THttpCli& client) = 0;

protected:
    ~IReadThrottle() = default;
};

enum class THttpCliState : uint8_t {
    hcIdle = 0,
    hcStarting = 1,
    hcConnected = 2,
    hcResolving = 3,
    hcResolved = 4,
    hcReadingHeader = 5,
    hcReadingBody = 6,
    hcAborting = 7,
};

// The ordinal values are those OnRequestDone reports (0: none started yet).
enum class THttpRequest : uint8_t { hrNone = 0, hrGet = 1, hrHead = 3 };

const char* HttpCliStateName(THttpCliState state);

class EHttpException : public Exception {
public:
    EHttpException(std::string message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// How the body of an answer ends: with the connection, after a length, after
// its last chunk, or at once (HEAD, 1xx, 204, 304). Persistent connections
// only; otherwise every body ends with the connection.
enum class TBodyFraming : uint8_t { bfUntilClose, bfLength, bfChunked, bfNone };

// "80" for http, "443" for https (and for any other scheme, "80").
std::string DefaultPortOf(const std::string& scheme);

// "Sun, 06 Nov 1994 08:49:37" (RFC 1123 without the zone; no conversion).
std::string FormatHttpDate(TDateTime date);
// Replaces what follows the last "." by ext; a name without "." gets "." + ext.
void ReplaceExtension(std::string& name, const std::string& ext);

class THttpCli : private IHttpConnectionUser {
public:
    using TNotifyEvent = std::function<void(THttpCli& sender)>;
    using TOnCommand = std::function<void(THttpCli& sender, std::string& line)>;
    using TCookieRcvdEvent = std::function<void(THttpCli& sender, const std::string& data, bool& accept)>;
    using TDocDataEvent = std::function<void(THttpCli& sender, const char* buffer, int len)>;
    using TLocationChangeEvent = std::function<void(THttpCli& sender, bool& redirect)>;
    using THttpRequestDone = std::function<void(THttpCli& sender, THttpRequest rqType, uint16_t error)>;

    static constexpr int kReceiveBufferSize = 8192;
    // Size of one body read once the header is done.
    static constexpr int kBodyReadSize = 65536;
    static constexpr size_t kMaxKeptHeaderLines = 1000;
    // The body of an error or redirect answer is read and dropped, to keep
    // the connection, only when it is at most this long.
    static constexpr int64_t kMaxDrainedBody = 65536;

    THttpCli();
    virtual ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    // Published properties.
    std::string URL;
    std::string Proxy;
    std::string ProxyPort = "80";
    std::string Sender;
    std::string Agent = "Mozilla/3.0 (compatible)";
    std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    std::string Reference;
    std::string Username, Password;
    std::string ProxyUsername, ProxyPassword;
    bool NoCache = false;
    TDateTime ModifiedSince = 0;
    std::string Cookie;
    std::string ContentRangeBegin, ContentRangeEnd;
    bool MultiThreaded() const { return FMultiThreaded; }
    void SetMultiThreaded(bool value);
    int Tag = 0;
    // HTTP/1.1 with persistent connections (off: HTTP/1.0, one connection
    // per request, exactly the request bytes of the HTTP/1.0 client).
    bool KeepAlive = false;
    // Certificate checking and extra authorities for https.
    TTlsOptions Tls;
    // Where kept connections wait between requests; shared by the clients
    // of one thread (a download run). Null: the client keeps its own.
    THttpConnectionPool* ConnectionPool = nullptr;
    // Bounds what the client reads (a run's rate limit); null: no bound.
    IReadThrottle* Throttle = nullptr;
    // Reading goes on after the throttle held it.
    void ResumeReading();
    bool ReadingHeld() const { return FReadHeld; }

    // Run-time properties.
    THttpCliState State() const { return FState; }
    int StatusCode() const { return FStatusCode; }
    const std::string& ReasonPhrase() const { return FReasonPhrase; }
    int64_t ContentLength() const { return FContentLength; }
    const std::string& ContentType() const { return FContentType; }
    std::span<const std::string> ReceivedHeader() const { return {FReceivedHeader.data(), FReceivedLines}; }
    const std::vector<std::string>& AuthenticateHeaders() const { return FAuthenticateHeaders; }
    const std::string& AcceptRanges() const { return FAcceptRanges; }
    TStream* ReceiveStream = nullptr;  // not owned
    int64_t ReceivedCount() const { return FReceivedCount; }
    const std::string& DocumentName() const { return FDocumentName; }
    const std::string& Location() const { return FLocation; }
    const std::string& ConnectHost() const { return FConnectHost; }
    const std::string& ConnectPort() const { return FConnectPort; }
    const std::string& RequestPath() const { return FRequestPath; }
    const std::string& TargetHost() const { return FTargetHost; }
    THttpRequest RequestType() const { return FRequestType; }
    // The socket of the current connection.
    TWSocket& Socket();
    // "http" or "https": the scheme of the URL being fetched now.
    const std::string& Scheme() const { return FScheme; }
    // What failed below HTTP in the current request (TLS, the tunnel, a cut
    // TLS stream), naming the host; empty when nothing did.
    const std::string& TransportFailure() const { return FTransportFailure; }
    // The current request went out on a connection kept from an earlier one.
    bool ConnectionReused() const { return FReused; }
    TBodyFraming BodyFraming() const { return FFraming; }
    // The component's own target: its deferred notifications arrive here.
    THandle WindowHandle() const { return FWindow.Handle(); }

    // Events.
    TNotifyEvent OnStateChange;
    TNotifyEvent OnSessionConnected;
    TNotifyEvent OnRequestHeaderBegin;
    TOnCommand OnCommand;
    TNotifyEvent OnRequestHeaderEnd;
    TNotifyEvent OnHeaderBegin;
    TNotifyEvent OnHeaderData;
    TCookieRcvdEvent OnCookie;
    TNotifyEvent OnHeaderEnd;
    TNotifyEvent OnDocBegin;
    TDocDataEvent OnDocData;
    TNotifyEvent OnDocEnd;
    // Redirect starts false: without a handler (or with one that leaves it
    // alone) a redirect is not followed and the request ends aborted, with
    // Location naming the target. A handler that answers true must bound the
    // number of redirects it follows.
    TLocationChangeEvent OnLocationChange;
    THttpRequestDone OnRequestDone;

    void Get();
    void Head();
    // Safe in every state; a request in progress ends with one OnRequestDone (error 3).
    void Abort();

protected:
    virtual void SendCommand(const std::string& line);
    virtual void StartRequest();
    virtual void CloseConnection();
    virtual void FollowLocation();
    virtual void FireCookie(const std::string& data, bool& accept);
    virtual void FireSessionConnected();
    virtual void FireRequestHeaderBegin();
    virtual void FireRequestHeaderEnd();
    virtual void FireHeaderBegin();
    virtual void FireHeaderEnd();
    virtual void FireDocBegin();
    virtual void FireDocData(const char* buffer, int len);
    virtual void FireDocEnd();

    // Takes bytes as if the socket had delivered them (what the receive
    // handler does after reading); answers how many fit into the buffer.
    // Raises EHttpException "HTTP line too long" when the buffer is full.
    int DeliverReceived(const char* data, int len);
    // Puts the client into the state of a request that was sent, without a
    // connection, for feeding a response through DeliverReceived.
    void BeginResponseForTest(THttpRequest kind);
    // The answer was read to the end its framing gives (persistent connections).
    bool AnswerCompleteForTest() const { return FResponseComplete; }

    std::string FContentType;

private:
    void DoRequest(THttpRequest kind);
    void SetState(THttpCliState state);
    void WndProc(TMsg& msg);
    // The connection's events.
    void ConnectionDnsLookupDone(THttpConnection& connection, uint16_t error) override;
    void ConnectionConnected(THttpConnection& connection, uint16_t error) override;
    void ConnectionDataAvailable(THttpConnection& connection, uint16_t error) override;
    void ConnectionClosed(THttpConnection& connection, uint16_t error) override;
    void SessionReady();
    void FinishAsClosed();
    void SendRequest(const std::string& method);
    void ProcessReceiveBuffer();
    void HeaderLine(const char* line, int len);
    // Lets go of the last answer's header lines before a new request.
    void ForgetReceivedHeader();
    void HeaderField(const std::string& line);
    void HeaderEnded();
    void AnswerWithoutStoredBody(bool redirect);
    void BodyData(const char* data, int len);
    void WorkOutLocation(const std::string& value);
    void WorkOutProxyLocation(const std::string& value);
    std::string PortSuffix(const std::string& scheme, const std::string& port) const;
    void ConsumeFront(int count);

    // Connections (HttpCliConnection.cpp).
    THttpConnection& Connection();
    THttpConnectionPool& Pool();
    void AdoptConnection(std::unique_ptr<THttpConnection> connection);
    std::string ConnectionKey() const;
    TConnectionTarget ConnectionTargetNow() const;
    bool Tunnelled() const;
    std::string RequestTarget() const;
    // Hands a connection whose answer was read whole to the pool, or closes it.
    void ReleaseConnection();
    // Closes the connection without its close reaching the client.
    void DropConnection();

    // Framing (HttpCliFraming.cpp). ResetResponse forgets what one answer's
    // header said about its framing (an interim answer's as well).
    void ResetResponse();
    void DecideFraming();
    void HeaderFraming(const std::string& name, const std::string& value);
    void BodyBytes(const char* data, int len);
    void DeliverBody(const char* data, int len);
    bool BodyStillRead() const;
    bool CanDrain() const;
    void StartDraining(bool follow);
    void CompleteResponse();
    void BrokenFraming();
    bool TruncationMatters() const;

    TMessageTarget FWindow;
    THttpCliState FState = THttpCliState::hcIdle;
    THttpRequest FRequestType = THttpRequest::hrNone;
    uint16_t FRequestDoneError = 0;
    uint32_t FSerial = 0;  // tells the deferred notifications of one request from the next
    bool FDoneScheduled = false;
    int FStatusCode = 0;
    std::string FReasonPhrase;
    int64_t FContentLength = -1;
    // The first FReceivedLines are this answer's lines; the others keep
    // their room for the next answer's (up to kKeptHeaderRoom in all).
    std::vector<std::string> FReceivedHeader;
    size_t FReceivedLines = 0;
    static constexpr size_t kKeptHeaderRoom = 64u << 10;
    std::vector<std::string> FAuthenticateHeaders;
    std::string FAcceptRanges;
    int64_t FReceivedCount = 0;
    std::string FDocumentName, FLocation, FConnectHost, FConnectPort, FRequestPath, FTargetHost;
    std::string FDnsResult;
    char FReceiveBuffer[kReceiveBufferSize + 1] = {};
    std::vector<char> FBodyBuffer;  // allocated on the first body read
    int FReceiveLen = 0;
    std::string FRequest;  // the request being composed
    int FHeaderLineCount = 0;
    int FBodyLineCount = 0;
    bool FLocationChangedFlag = false;
    bool FConnected = false;
    bool FFollowOnClose = false;  // the socket's close runs FollowLocation
    void (THttpCli::*FNext)(const char* data, int len) = nullptr;

    bool FMultiThreaded = false;
    std::string FScheme = "http";
    std::string FTargetPort;  // the server's port (not the proxy's)
    std::string FTransportFailure;
    std::unique_ptr<THttpConnectionPool> FOwnPool;  // when no ConnectionPool is given
    std::unique_ptr<THttpConnection> FConn;  // null while a kept connection waits in the pool
    // The current answer's framing, and what decides it.
    TBodyFraming FFraming = TBodyFraming::bfUntilClose;
    int64_t FBodyLeft = 0;
    TChunkedDecoder FChunked;
    bool FHttp11Answer = false;
    bool FConnectionClose = false, FConnectionKeepAlive = false;
    bool FChunkedCoding = false, FTransferCoded = false;
    bool FLengthSeen = false, FLengthConflict = false;
    bool FReusable = false;          // the connection may carry the next request
    bool FBodyComplete = false;      // every byte of the body has been read
    bool FResponseComplete = false;  // the answer was finished without the connection's close
    bool FDraining = false, FFollowAfterDrain = false;
    int64_t FDrained = 0;
    // A kept connection that dies before the first byte of the answer is
    // replaced once by a fresh one.
    bool FReused = false, FRetriedFresh = false, FForceFresh = false;
    int64_t FAnswerBytes = 0;
    bool FReadHeld = false;
    // How much the throttle lets the client read of wanted; 0: reading is held.
    int ReadRoom(THttpConnection& connection, int wanted);
};

} // namespace vorlin
