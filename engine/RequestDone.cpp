// The end of a request: the link's fate and the connection's way back.
#include "engine/ResponseHandler.h"

#include "engine/DownloadRun.h"
#include "engine/LinkFiling.h"
#include "engine/RunTexts.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"
#include "platform/WinsockErrors.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkVotes.h"
#include "project/LocalPath.h"

#include <exception>
#include <limits>

namespace vorlin {

namespace {

// The reasons for which an aborted request leaves its link as it is: the
// link was given back, is filed already, or waits for credentials.
bool KeepsLink(TStopReason reason) {
    return reason == srPaused || reason == srClosing || reason == srNotModified || reason == srAuthRequired;
}

} // namespace

void TResponseHandler::RequestDone(TRunClient& client, THttpRequest kind, uint16_t error) {
    TDownloadLink* link = client.CurrentLink;
    // A done for a request the run no longer follows (the client was idle).
    if (!link) return;
    // A whole page is parsed once its scan is there (ScanEnded).
    if (AwaitScan(client, kind, error)) return;
    TDownloadProject& project = FRun.Project();
    bool release = true;
    FRun.Manners().RequestEnded(*link);
    try {
        client.TimeOutTimer().SetEnabled(false);
        client.StopLowSpeedWatch();
        // A body the client could not write to its file ended aborted.
        if (TFileStream* file = client.ReceiveFile(); file && file->WriteError() != 0 && client.StopReason() == srRunning)
            StoreFailed(client, *link, file->WriteFailure());
        if (error == WSAETIMEDOUT) {
            client.TimeOutHandler();
        } else if (BodyBrokeOff(client, error)) {
            // Its own line, then as after a time-out: the same link again
            // while tries are left, a file continued with a range (the
            // partial file stays), then given up.
            ReportBrokenBody(client, error);
            client.RetryOrGiveUp();
        }
        if (client.StopReason() != srRunning) project.ProjectSize -= client.ReceivedCount();
        if (client.StopReason() != srRunning || error != 0 || !SuccessStatus(client.StatusCode())) Uncount(client);
        switch (client.StopReason()) {
        case srRetry:
            release = !Retry(client, *link);
            break;
        case srRemoved:
            RemoveClient(client, *link);
            return;
        case srAuthRequired:
            FRun.Questions().AskForCredentials(*link, TRunQuestions::RealmOf(client.AuthenticateHeaders()));
            FileOutcome(client, *link, error);
            break;
        default:
            FileOutcome(client, *link, error);
            break;
        }
    } catch (const std::exception& e) {
        FRun.Report().PostError(std::string("TDownloadThread.RequestDone\n") + e.what());
    }
    if (release) Release(client);
}

bool TResponseHandler::BodyBrokeOff(TRunClient& client, uint16_t error) const {
    if (client.StopReason() != srRunning || !SuccessStatus(client.StatusCode())) return false;
    if (error != 0) return true;
    const int64_t expected = client.ContentLength();
    return expected >= 0 && client.ReceivedCount() < expected;
}

void TResponseHandler::ReportBrokenBody(TRunClient& client, uint16_t error) {
    const long long received = client.ReceivedCount();
    std::string line;
    if (error == 0)
        line = Format("%s: received %lld of %lld bytes, the server closed the connection early", client.URL.c_str(),
                      received, static_cast<long long>(client.ContentLength()));
    else if (!client.TransportFailure().empty()) {
        // Broken below HTTP (a TLS stream cut without close_notify, a
        // chunked body that broke): its status alone would say success.
        FRun.Report().PostError(Format("%s: received %lld bytes, then %s", client.URL.c_str(), received,
                                       client.TransportFailure().c_str()));
        return;
    } else
        line = Format("%s: received %lld bytes, then the connection broke off: %s", client.URL.c_str(), received,
                      client.ReasonPhrase().c_str());
    FRun.Report().PostLog(line);
}

// The same link again on the same connection, keeping its count of tries.
// False when it could not start again (the link is then filtered out).
bool TResponseHandler::Retry(TRunClient& client, TDownloadLink& link) {
    client.Html().Reset();
    client.FreeReceiveStream();
    FRun.Report().ClientIdle(client.Number());
    try {
        PrepareAndStart(client, link, false);
        return true;
    } catch (const std::exception& e) {
        FRun.Report().PostError("TDownloadThread.RequestDone\n" + link.FullURL() + "->" + e.what());
        client.Abort();
        FileFilteredOut(FRun.Project(), link);
        return false;
    }
}

void TResponseHandler::RemoveClient(TRunClient& client, TDownloadLink& link) {
    try {
        client.Html().Reset();
        client.FreeReceiveStream();
        client.CurrentLink = nullptr;
        if (link.Owner() == FRun.Project().Links.get()) FRun.Scheduler().GiveBack(link);
        FRun.Report().Stats(FRun.Project());
        // The count may have risen again meanwhile: then the client stays.
        FRun.ClientIdle(client);
    } catch (const std::exception& e) {
        FRun.Report().PostError(Format("While removing client No (%d):", client.Number()) + e.what());
    }
}

void TResponseHandler::FileOutcome(TRunClient& client, TDownloadLink& link, uint16_t error) {
    const int status = client.StatusCode();
    if (SuccessStatus(status) && error == 0 && client.StopReason() == srRunning)
        Succeeded(client, link);
    else if (status >= 400 && status <= 599)
        FailedStatus(client, link, error);
    else
        // A body that broke off for good, or a status the run can't use (an
        // interim or unfollowed answer): the link is done with, not stored.
        FilterOutUnlessKept(client, link);
}

void TResponseHandler::FilterOutUnlessKept(TRunClient& client, TDownloadLink& link) {
    if (!KeepsLink(client.StopReason())) FileFilteredOut(FRun.Project(), link);
    if (client.Html().IsOpen()) client.Html().Reset();
    FRun.Scheduler().Wake();
}

void TResponseHandler::FailedStatus(TRunClient& client, TDownloadLink& link, uint16_t error) {
    if (error == 0 || error == 3) {
        FilterOutUnlessKept(client, link);
        return;
    }
    FRun.Report().PostError(FormatRunText(621, {std::to_string(client.Number()), client.ReasonPhrase()}));
    FileFilteredOut(FRun.Project(), link);
    if (client.Html().IsOpen()) client.Html().Reset();
    FRun.Scheduler().Wake();
}

void TResponseHandler::Succeeded(TRunClient& client, TDownloadLink& link) {
    TDownloadProject& project = FRun.Project();
    // What arrived is stored first: a page or document that could not be
    // written is not downloaded.
    std::string parseError;
    bool scanned = false;
    try {
        scanned = StoreDocument(client, link, parseError);
    } catch (const EFileError& e) {
        Uncount(client);
        StoreFailed(client, link, e);
        if (!e.DiskFull()) FileFilteredOut(project, link);
        client.FreeReceiveStream();
        FRun.Scheduler().Wake();
        return;
    }
    if (scanned) {
        FRun.Scheduler().Wake();
        FRun.Questions().PageReceived(link);
    }
    if (!parseError.empty())
        FRun.Report().PostError("TDownloadThread.RequestDone\nError while parsing HTML->" + parseError);
    // The copy bears the server's date, as the site's own files do: a page's
    // parser stamped it as it closed it, a file still open is stamped through
    // its handle, what a plugin stored through its path.
    bool stamped = link.LastModified == 0 || link.MimeType == kHtmlMimeType;
    if (TFileStream* file = client.ReceiveFile(); file && !stamped)
        stamped = SetFileModificationTime(file->Handle(), DateTimeToUnix(link.LastModified));
    client.FreeReceiveStream();
    if (!stamped) SetFileModificationTime(LinkFilePath(project, link), DateTimeToUnix(link.LastModified));
    if (const uint64_t ticket = link.MimeType == kHtmlMimeType ? client.Html().StoreTicket(link) : 0) {
        // On its way to the disk: downloaded once it is there.
        FStoring[ticket] = {&link, client.URL, client.ReceivedCount(), client.Counted, client.CountedSize};
        return;
    }
    Downloaded(link, client.URL, client.ReceivedCount());
}

void TResponseHandler::Downloaded(TDownloadLink& link, const std::string& url, int64_t received) {
    TDownloadProject& project = FRun.Project();
    FRun.Report().PostLog(FormatRunText(603, {DisplayURL(url), std::to_string(received)}));
    FileDownloaded(project, link);
    if (link.Size == 0) link.Size = static_cast<int32_t>(std::min<int64_t>(received, std::numeric_limits<int32_t>::max()));
    if (project.Rules) project.Rules->RunPhase(link, project, 2);
    if (link.OpenAfterDownload) ShellOpen(LinkFilePath(project, link));
}

void TResponseHandler::PagesStored(const std::vector<TPageStore::TFinished>& finished) {
    TDownloadProject& project = FRun.Project();
    for (const TPageStore::TFinished& page : finished) {
        auto found = FStoring.find(page.Ticket);
        // A page given up before its end (an abort, a pause) files nothing.
        if (found == FStoring.end()) continue;
        const TStoringPage storing = std::move(found->second);
        FStoring.erase(found);
        TDownloadLink& link = *storing.Link;
        try {
            if (page.Error) std::rethrow_exception(page.Error);
            Downloaded(link, storing.URL, storing.Received);
        } catch (const EFileError& e) {
            // As a page that could not be written at once: not downloaded.
            bool counted = storing.Counted;
            Uncount(counted, storing.CountedSize);
            TellStoreFailure(e);
            if (!e.DiskFull()) FileFilteredOut(project, link);
            FRun.Scheduler().Wake();
        } catch (const std::exception& e) {
            FRun.Report().PostError(std::string("TDownloadThread.RequestDone\n") + e.what());
        }
    }
    FRun.Report().Stats(project);
}

bool TResponseHandler::StoreDocument(TRunClient& client, TDownloadLink& link, std::string& parseError) {
    if (link.MimeType == kHtmlMimeType) {
        // The page is ended even when the rest can't be parsed or written.
        std::exception_ptr writeFailure;
        try {
            client.Html().ParseAvailable();
        } catch (const EFileError&) {
            writeFailure = std::current_exception();
        } catch (const std::exception& e) {
            parseError = e.what();
        }
        try {
            client.Html().EndDocument();
        } catch (const EFileError&) {
            if (!writeFailure) writeFailure = std::current_exception();
        } catch (const std::exception& e) {
            if (parseError.empty()) parseError = e.what();
        }
        if (writeFailure) std::rethrow_exception(writeFailure);
        return true;
    }
    if (link.LinkType == ltScriptFile && client.ReceiveStream) {
        client.Html().ParseScriptFile(link, *client.ReceiveStream);
        return true;
    }
    if (client.ClaimedBy && client.ReceiveMemory()) {
        ParseWithPlugin(client, link);
        return true;
    }
    return false;
}

// The plugin stores the document itself; when it fails, or stores nothing,
// the document is written as received, so that no download is lost.
void TResponseHandler::ParseWithPlugin(TRunClient& client, TDownloadLink& link) {
    TMemoryStream& document = *client.ReceiveMemory();
    const std::string path = LinkFilePath(FRun.Project(), link);
    bool failed = false;
    try {
        document.SetPosition(0);
        client.Html().ParseWithPlugin(client.ClaimedBy, link, document);
    } catch (const std::exception& e) {
        failed = true;
        FRun.Report().PostError(std::string("TDownloadThread.RequestDone\n") + e.what());
    }
    if (failed || !FileExists(path)) document.SaveToFile(path, FRun.Project().TargetDir);
}

void TResponseHandler::Release(TRunClient& client) {
    client.FreeReceiveStream();
    client.CurrentLink = nullptr;
    client.ClaimedBy = nullptr;
    client.Resuming = false;
    FRun.Report().Stats(FRun.Project());
    FRun.Report().ClientIdle(client.Number());
    FRun.ClientIdle(client);
}

} // namespace vorlin
