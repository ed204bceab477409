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

#include "links/PageScanner.h"
#include "links/PageStore.h"
#include "net/HttpCli.h"
#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

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
    // The pages the run's page store has written, or failed to write: each
    // is filed now, as a page written at once would have been at its end.
    void PagesStored(const std::vector<TPageStore::TFinished>& finished);
    // The pages the run's scanner has scanned: each that waits for its scan
    // is parsed and filed now.
    void PagesScanned(std::vector<TPageScanner::TFinished> finished);
    // Every page still waiting for its scan is parsed and filed now, without
    // it (the run pauses or ends).
    void FinishScans();
    // What arrived of a page left for its scan, when the page is not going
    // to be stored (its transfer ended otherwise): the links it names are
    // found, as they were while it arrived. Errors are told, not raised.
    void ParseWhatArrived(TRunClient& client);

    // A page is handed to the scanner when it has arrived whole and holds at
    // least kScanFrom bytes (for less the hand-over costs more than it
    // spares); up to kScanUpTo bytes are left unparsed while it arrives, a
    // longer page is parsed as it comes.
    static constexpr size_t kScanFrom = 8u << 10;
    static constexpr size_t kScanUpTo = 1u << 20;

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
    // A body that went past the project's file size limit: given up, and
    // what was stored of it removed.
    bool PassedSizeLimit(TRunClient& client, TDownloadLink& link);
    // A document held in memory for its parser plugin that grows past
    // kMaxPluginDocument goes on to its file instead, unparsed.
    void StoreOversizedDocument(TRunClient& client, TDownloadLink& link);
    // What could not be written: a full disk stops the run (the link stays
    // pending for the next one); any other reason files the link out. The
    // line names the file and the system's reason.
    void StoreFailed(TRunClient& client, TDownloadLink& link, const EFileError& error);
    // The line of StoreFailed; a full disk stops the run.
    void TellStoreFailure(const EFileError& error);
    // Takes the link back out of the run's totals when it was counted.
    void Uncount(TRunClient& client);
    void Uncount(bool& counted, int64_t countedSize);

    // The page in hand is left unparsed while it arrives, for its scan
    // (unless clients wait for links).
    bool LeftForScan(TRunClient& client);
    // A page that has arrived whole is handed to the scanner, and
    // RequestDone waits for its scan: true when it was handed over.
    bool AwaitScan(TRunClient& client, THttpRequest kind, uint16_t error);
    // RequestDone for a client whose page waited for its scan.
    void ScanEnded(TRunClient& client);

    // A status whose answer is stored (0: a body without a status line).
    static bool SuccessStatus(int status) { return status == 0 || (status >= 200 && status <= 299); }

    // RequestDone (RequestDone.cpp).
    bool BodyBrokeOff(TRunClient& client, uint16_t error) const;
    void ReportBrokenBody(TRunClient& client, uint16_t error);
    bool Retry(TRunClient& client, TDownloadLink& link);
    void RemoveClient(TRunClient& client, TDownloadLink& link);
    void FileOutcome(TRunClient& client, TDownloadLink& link, uint16_t error);
    void Succeeded(TRunClient& client, TDownloadLink& link);
    // What a download that is stored ends with: its line, its filing, the
    // action rules and opening it when asked.
    void Downloaded(TDownloadLink& link, const std::string& url, int64_t received);
    // Ends the page or hands the document to its plugin; false when what
    // was received could not be stored (the link is then dealt with).
    bool StoreDocument(TRunClient& client, TDownloadLink& link, std::string& parseError);
    void FailedStatus(TRunClient& client, TDownloadLink& link, uint16_t error);
    void FilterOutUnlessKept(TRunClient& client, TDownloadLink& link);
    void ParseWithPlugin(TRunClient& client, TDownloadLink& link);
    void Release(TRunClient& client);

    // A page ended and handed to the page store, not yet on disk: its link
    // is filed once it is (PagesStored). What the page's connection knew is
    // kept, as the connection goes on to the next link meanwhile.
    struct TStoringPage {
        TDownloadLink* Link = nullptr;
        std::string URL;
        int64_t Received = 0;
        bool Counted = false;
        int64_t CountedSize = 0;
    };

    TDownloadRun& FRun;
    std::unordered_map<uint64_t, TStoringPage> FStoring;  // by the store's ticket
};

// The most a document for a parser plugin may hold in memory.
constexpr int64_t kMaxPluginDocument = 16 << 20;

// Redirects followed in a row from one link before the chain is given up.
constexpr int kMaxRedirectHops = 20;

// The content type whose bodies go through the HTML parser.
constexpr const char* kHtmlMimeType = "text/html";

} // namespace vorlin
