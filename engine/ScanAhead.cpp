// Pages scanned beside the run: a page is left unparsed while it arrives,
// handed to the run's scanner once it is whole, and parsed and filed when
// its scan comes back. The run's thread serves the other connections in
// the meantime; the client stays busy with its page until then.
#include "engine/ResponseHandler.h"

#include "engine/DownloadRun.h"
#include "project/DownloadLink.h"

#include <string>

namespace vorlin {

using TScanStep = TRunClient::TScanStep;

namespace {

// The client's page is open and still reads the client's receive stream (a
// transfer given up frees the stream before the page is reset).
bool PageInHand(TRunClient& client) {
    return !client.ClaimedBy && client.Html().IsOpen() && client.ReceiveMemory() &&
           client.Html().Input() == client.ReceiveMemory();
}

} // namespace

bool TResponseHandler::LeftForScan(TRunClient& client) {
    // While clients wait for links (a site's first page, a slow one), the
    // page is parsed as it comes, so that they get the links it names at once.
    return FRun.Scanner() && FRun.FreeClients().Count() == 0 && client.ScanStep == TScanStep::ssNone &&
           PageInHand(client) && client.Html().Unparsed().size() <= kScanUpTo;
}

bool TResponseHandler::AwaitScan(TRunClient& client, THttpRequest kind, uint16_t error) {
    // A done that comes while the page waits (its request was cancelled
    // meanwhile): the wait is over, and the scan is of no use any more.
    if (client.ScanStep == TScanStep::ssPending) {
        client.ScanStep = TScanStep::ssDone;
        return false;
    }
    TPageScanner* scanner = FRun.Scanner();
    TDownloadLink* link = client.CurrentLink;
    if (!scanner || !link || client.ScanStep != TScanStep::ssNone) return false;
    // Only a page that is going to be stored: every other end is dealt with
    // at once, after what arrived of the page is parsed.
    if (error != 0 || client.StopReason() != srRunning || !SuccessStatus(client.StatusCode()) ||
        BodyBrokeOff(client, error)) {
        ParseWhatArrived(client);
        return false;
    }
    if (link->MimeType != kHtmlMimeType || !PageInHand(client)) return false;
    const std::string_view unparsed = client.Html().Unparsed();
    if (unparsed.size() < kScanFrom) return false;
    client.TimeOutTimer().SetEnabled(false);
    client.StopLowSpeedWatch();
    client.ScanTicket = scanner->Submit(unparsed, client.Html().ParsedTo());
    client.ScanStep = TScanStep::ssPending;
    client.ScanRequest = kind;
    client.ScanError = error;
    return true;
}

void TResponseHandler::ParseWhatArrived(TRunClient& client) {
    if (!PageInHand(client) || client.Html().Unparsed().empty()) return;
    try {
        client.Html().ParseAvailable();
    } catch (const EFileError&) {
        // The copy of a page that is not stored: nothing to tell of it.
    } catch (const std::exception& e) {
        FRun.Report().PostError("TDownloadThread.RequestDone\nError while parsing HTML->" + std::string(e.what()));
    }
}

void TResponseHandler::ScanEnded(TRunClient& client) {
    client.ScanStep = TScanStep::ssDone;
    RequestDone(client, client.ScanRequest, client.ScanError);
}

void TResponseHandler::PagesScanned(std::vector<TPageScanner::TFinished> finished) {
    for (TPageScanner::TFinished& scanned : finished) {
        // A client that gave its page up meanwhile waits for no scan.
        for (const auto& client : FRun.Clients()) {
            if (client->ScanStep != TScanStep::ssPending || client->ScanTicket != scanned.Ticket) continue;
            scanned.Scan = client->Html().UseScan(std::move(scanned.Scan));
            ScanEnded(*client);
            break;
        }
        // The room of the scan the parser held before, or of one nobody waits for.
        if (TPageScanner* scanner = FRun.Scanner()) scanner->GiveBack(std::move(scanned.Scan));
    }
}

void TResponseHandler::FinishScans() {
    // RequestDone may change the list of clients: look again after each.
    for (bool found = true; found;) {
        found = false;
        for (const auto& client : FRun.Clients()) {
            if (client->ScanStep != TScanStep::ssPending) continue;
            ScanEnded(*client);
            found = true;
            break;
        }
    }
}

} // namespace vorlin
