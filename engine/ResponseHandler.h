// What a run does with each request it hands a connection: it prepares it
// (credentials, referrer, If-Modified-Since, resumption with a range), and
// handles the connection's four events: LocationChanged, HeaderEnd, DocData
// and RequestDone. It decides where a body goes (the HTML parser, a parser
// plugin, or a file below the target directory), keeps the byte and file
// counters, and files the link as downloaded or filtered out.
//
// RequestDone always hands the connection back (to the free-client queue,
// to the same link again, or out of the run), whatever goes wrong on the
// way, so that no connection and no link is ever lost to the run.
#pragma once

#include "net/HttpCli.h"

#include <cstdint>
#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadRun;
class TRunClient;

class TResponseHandler {
public:
    explicit TResponseHandler(TDownloadRun& run) : FRun(run) {}

    // Installs the four handlers on a connection of the run.
    void Install(TRunClient& client);
    // Prepares the request of the link and starts it; a retry keeps the
    // connection's count of tries (resetTries false). Errors propagate.
    void PrepareAndStart(TRunClient& client, TDownloadLink& link, bool resetTries);

    void LocationChanged(TRunClient& client, bool& follow);
    void HeaderEnd(TRunClient& client);
    void DocData(TRunClient& client, const char* data, int length);
    void RequestDone(TRunClient& client, THttpRequest kind, uint16_t error);

private:
    void OpenResumption(TRunClient& client, TDownloadLink& link, const std::string& path);
    void NotModified(TRunClient& client, TDownloadLink& link);
    void ReportErrorStatus(TRunClient& client, TDownloadLink& link);
    void StoreResponse(TRunClient& client, TDownloadLink& link, int status);
    bool PositionResumed(TRunClient& client, TDownloadLink& link, int status);
    void NameAfterType(TRunClient& client, TDownloadLink& link);
    void OpenReceiveStream(TRunClient& client, TDownloadLink& link, const std::string& path);
    void Refuse(TRunClient& client);
    int Progress(TRunClient& client, TDownloadLink& link) const;

    // RequestDone (RequestDone.cpp).
    bool BodyBrokeOff(TRunClient& client, uint16_t error) const;
    bool Retry(TRunClient& client, TDownloadLink& link);
    void RemoveClient(TRunClient& client, TDownloadLink& link);
    void FileOutcome(TRunClient& client, TDownloadLink& link, uint16_t error);
    void Succeeded(TRunClient& client, TDownloadLink& link);
    void FailedStatus(TRunClient& client, TDownloadLink& link, uint16_t error);
    void FilterOutUnlessKept(TRunClient& client, TDownloadLink& link);
    void ParseWithPlugin(TRunClient& client, TDownloadLink& link);
    void Release(TRunClient& client);

    TDownloadRun& FRun;
};

// The content type whose bodies go through the HTML parser.
constexpr const char* kHtmlMimeType = "text/html";

} // namespace vorlin
