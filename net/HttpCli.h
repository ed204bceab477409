// THttpCli: an event-driven HTTP/1.0 client. One request at a time, started
// by Get or Head, which return at once; progress comes through events that
// the owning thread's loop delivers, and every request ends with exactly one
// OnRequestDone. The body is never held: each piece goes to ReceiveStream
// (when set) and to OnDocData; the server's close ends it.
#pragma once

#include "net/WSocket.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/MessageTarget.h"
#include "platform/Stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlin {

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

// "Sun, 06 Nov 1994 08:49:37" (RFC 1123 without the zone; no conversion).
std::string FormatHttpDate(TDateTime date);
// Replaces what follows the last "." by ext; a name without "." gets "." + ext.
void ReplaceExtension(std::string& name, const std::string& ext);

class THttpCli {
public:
    using TNotifyEvent = std::function<void(THttpCli& sender)>;
    using TOnCommand = std::function<void(THttpCli& sender, std::string& line)>;
    using TCookieRcvdEvent = std::function<void(THttpCli& sender, const std::string& data, bool& accept)>;
    using TDocDataEvent = std::function<void(THttpCli& sender, const char* buffer, int len)>;
    using TLocationChangeEvent = std::function<void(THttpCli& sender, bool& redirect)>;
    using THttpRequestDone = std::function<void(THttpCli& sender, THttpRequest rqType, uint16_t error)>;

    static constexpr int kReceiveBufferSize = 8192;
    static constexpr size_t kMaxKeptHeaderLines = 1000;

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
    bool MultiThreaded() const { return FSocket.MultiThreaded; }
    void SetMultiThreaded(bool value) { FSocket.MultiThreaded = value; }
    int Tag = 0;

    // Run-time properties.
    THttpCliState State() const { return FState; }
    int StatusCode() const { return FStatusCode; }
    const std::string& ReasonPhrase() const { return FReasonPhrase; }
    int64_t ContentLength() const { return FContentLength; }
    const std::string& ContentType() const { return FContentType; }
    const std::vector<std::string>& ReceivedHeader() const { return FReceivedHeader; }
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
    TWSocket& Socket() { return FSocket; }
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

    std::string FContentType;

private:
    void DoRequest(THttpRequest kind);
    void SetState(THttpCliState state);
    void WndProc(TMsg& msg);
    void SocketDnsLookupDone(uint16_t error);
    void SocketSessionConnected(uint16_t error);
    void SocketDataAvailable(uint16_t error);
    void SocketSessionClosed(uint16_t error);
    void FinishAsClosed();
    void SendRequest(const std::string& method);
    void ProcessReceiveBuffer();
    void HeaderLine(const char* line, int len);
    void HeaderField(const std::string& line);
    void HeaderEnded();
    void BodyData(const char* data, int len);
    void WorkOutLocation(const std::string& value);
    void WorkOutProxyLocation(const std::string& value);
    std::string PortSuffix(const std::string& port) const;
    void ConsumeFront(int count);

    TWSocket FSocket;
    TMessageTarget FWindow;
    THttpCliState FState = THttpCliState::hcIdle;
    THttpRequest FRequestType = THttpRequest::hrNone;
    uint16_t FRequestDoneError = 0;
    uint32_t FSerial = 0;  // tells the deferred notifications of one request from the next
    bool FDoneScheduled = false;
    int FStatusCode = 0;
    std::string FReasonPhrase;
    int64_t FContentLength = -1;
    std::vector<std::string> FReceivedHeader;
    std::vector<std::string> FAuthenticateHeaders;
    std::string FAcceptRanges;
    int64_t FReceivedCount = 0;
    std::string FDocumentName, FLocation, FConnectHost, FConnectPort, FRequestPath, FTargetHost;
    std::string FDnsResult;
    char FReceiveBuffer[kReceiveBufferSize + 1] = {};
    int FReceiveLen = 0;
    std::string FRequest;  // the request being composed
    int FHeaderLineCount = 0;
    int FBodyLineCount = 0;
    bool FLocationChangedFlag = false;
    bool FConnected = false;
    bool FFollowOnClose = false;  // the socket's close runs FollowLocation
    void (THttpCli::*FNext)(const char* data, int len) = nullptr;
};

} // namespace vorlin
