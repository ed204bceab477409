// TRunClient: a connection slot as the download run keeps it: the fetch
// component with the HTML parser the run gives it, and what the run must
// remember per request beyond the component's stop reason.
#pragma once

#include "engine/ArHTTP.h"
#include "engine/HTMLClientParser.h"

namespace vorlin_sdk {
struct IParserPluginInterface;
}

namespace vorlin {

class TFileStream;
class TMemoryStream;

class TRunClient final : public TArHTTP {
public:
    TRunClient(IFetchOwner* run, int clientNumber, TDownloadProject& project, IHTMLParserHooks& hooks);
    ~TRunClient() override;

    int Number() const { return Tag; }
    THTMLParser& Html() { return FParser->Html(); }
    // A client is busy from the moment it is handed a link until its request
    // is done with; its current link is null while it is idle.
    bool Busy() const { return CurrentLink != nullptr; }

    // The memory stream the run put in as the receive stream, or null.
    TMemoryStream* ReceiveMemory() const;
    // The receive stream when it is a file, or null.
    TFileStream* ReceiveFile() const;
    // Hands the component a new receive stream of its own.
    TMemoryStream& NewReceiveMemory();

    // Forgets every event handler (before the run frees the client, so that
    // nothing an abort leaves behind reaches the run).
    void DetachEvents();

    // The client count was lowered below this client's number: it is freed
    // once its request is done with (unless the count rises again first).
    bool RemovalPending = false;
    // The parser plugin that claimed the current document, or null.
    vorlin_sdk::IParserPluginInterface* ClaimedBy = nullptr;
    // The request resumes a partial local file (a receive stream was opened on it).
    bool Resuming = false;
    // The answer was counted in the run's totals (RunSize, DownloadedCount)
    // when its body began; taken back unless the link ends downloaded, so
    // that a link counts once however often it is tried.
    bool Counted = false;
    int64_t CountedSize = 0;

    // A page that arrived whole waits for its scan (TPageScanner) before
    // the run parses and files it; meanwhile the client stays busy.
    enum class TScanStep : uint8_t { ssNone, ssPending, ssDone };
    TScanStep ScanStep = TScanStep::ssNone;
    uint64_t ScanTicket = 0;
    // How the request ended, for RequestDone once the scan is there.
    THttpRequest ScanRequest = THttpRequest::hrNone;
    uint16_t ScanError = 0;

private:
    THTMLClientParser* FParser;  // owned by the component (as its IClientParser)
};

} // namespace vorlin
