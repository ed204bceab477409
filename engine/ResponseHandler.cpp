#include "engine/ResponseHandler.h"

#include "engine/DownloadRun.h"
#include "engine/LinkFiling.h"
#include "engine/RunTexts.h"
#include "links/ServerRoots.h"
#include "links/TypeExtension.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LinkVotes.h"
#include "project/LocalPath.h"
#include "platform/ConfinedFiles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorlin {

namespace {

std::string ReferrerText(const TDownloadLink& link) {
    return link.Referrers.empty() ? std::string("keiner Seite") : link.Referrers.front()->FullURL();
}

// Sizes are 32-bit in the link data; a larger file counts as of unknown size.
int32_t StoredSize(int64_t contentLength) {
    if (contentLength < 0 || contentLength > std::numeric_limits<int32_t>::max()) return -1;
    return static_cast<int32_t>(contentLength);
}

int64_t RangeStart(const std::string& text) {
    try {
        return StrToInt64(text);
    } catch (const EConvertError&) {
        return -1;
    }
}

} // namespace

void TResponseHandler::Install(TRunClient& client) {
    client.OnLocationChange = [this](THttpCli& c, bool& follow) { LocationChanged(static_cast<TRunClient&>(c), follow); };
    client.OnHeaderEnd = [this](THttpCli& c) { HeaderEnd(static_cast<TRunClient&>(c)); };
    client.OnDocData = [this](THttpCli& c, const char* data, int len) { DocData(static_cast<TRunClient&>(c), data, len); };
    client.OnRequestDone = [this](THttpCli& c, THttpRequest kind, uint16_t error) {
        RequestDone(static_cast<TRunClient&>(c), kind, error);
    };
}

// --- Preparing ------------------------------------------------------------------

void TResponseHandler::PrepareAndStart(TRunClient& client, TDownloadLink& link, bool resetTries) {
    TDownloadProject& project = FRun.Project();
    client.CurrentLink = &link;
    client.ClaimedBy = nullptr;
    client.Resuming = false;
    client.Counted = false;
    client.ScanStep = TRunClient::TScanStep::ssNone;
    client.FreeReceiveStream();
    client.URL = link.FullURL();
    client.Username.clear();
    client.Password.clear();
    if (link.SendCredentials) {
        if (TPassWordListEntry* entry = FRun.Passwords().Find(link)) {
            client.Username = entry->UserName;
            client.Password = entry->Password;
        }
    }
    client.ModifiedSince = 0;
    client.ContentRangeBegin.clear();
    client.ContentRangeEnd.clear();
    client.Reference = link.Referrers.empty() ? std::string() : link.Referrers.front()->FullURL();
    // An https page's address is not told to a plain http server.
    if (HttpSchemeOf(client.Reference) == "https" && HttpSchemeOf(client.URL) != "https") client.Reference.clear();

    const std::string path = LinkFilePath(project, link);
    FRun.SettleStoredFile(path);
    if (link.Size != 0 && FileExists(path)) {
        if (link.State == lsDownloaded) client.ModifiedSince = link.LastModified;
        if (!link.MimeType.empty() && (link.MimeType != kHtmlMimeType || project.ProjectMode == pmMirror))
            OpenResumption(client, link, path);
    }
    FRun.Report().ClientStatus(client.Number(), RunText(604));
    FRun.Report().ClientURL(client.Number(), client.URL);
    client.Cookie = FRun.Manners().CookieHeader(client.URL);
    client.StartGet(resetTries);
    FRun.Manners().RequestStarted(link);
    client.TimeOutTimer().SetEnabled(true);
    client.TimeOutTimer().Restart();
}

// A local file shorter than the recorded size is continued with a range
// request; pages (mirror mode only) are continued in memory.
void TResponseHandler::OpenResumption(TRunClient& client, TDownloadLink& link, const std::string& path) {
    std::unique_ptr<TStream> stream;
    try {
        const std::string& target = FRun.Project().TargetDir;
        if (link.MimeType == kHtmlMimeType) {
            auto memory = std::make_unique<TMemoryStream>();
            memory->LoadFromFile(path, target);
            stream = std::move(memory);
        } else {
            stream = std::make_unique<TFileStream>(path, fmOpenReadWrite, target);
        }
    } catch (const std::exception& e) {
        // A file that can't be reopened is fetched whole.
        DebugLogReport("TDownloadThread.PrepareRequest", e.what());
        return;
    }
    const int64_t have = stream->Size();
    if (link.Size <= 0 || have >= link.Size) return;
    client.ModifiedSince = 0;
    client.ContentRangeBegin = std::to_string(have);
    client.ContentRangeEnd = std::to_string(static_cast<int64_t>(link.Size) - 1);
    stream->Seek(0, TSeekOrigin::soEnd);
    client.SetOwnedReceiveStream(std::move(stream));
    client.Resuming = true;
}

// --- The answer -----------------------------------------------------------------

void TResponseHandler::LocationChanged(TRunClient& client, bool& follow) {
    TDownloadLink* link = client.CurrentLink;
    if (!link) return;
    try {
        const std::string old = client.URL;
        const std::string location = client.Location();
        DebugLog("Redirect: " + old + "->" + location);
        // A redirect to the same URL is left to the client, which ends the
        // request aborted.
        if (SameText(location, old)) return;
        client.SetStopReason(srRedirected);
        follow = false;
        if (link->RedirectHops >= kMaxRedirectHops) {
            FRun.Report().PostError(Format("%s: more than %d redirects in a row; the redirect to %s is not followed",
                                           old.c_str(), kMaxRedirectHops, location.c_str()));
            return;
        }
        TDownloadLink* target = client.Html().AddRedirectTarget(*link, location);
        if (target && target != link && target->State == lsPending)
            target->RedirectHops = std::max<int16_t>(target->RedirectHops, static_cast<int16_t>(link->RedirectHops + 1));
        // A directory URL redirected to itself with a "/" is not a copy.
        if (target && target != link && !SameText(location, old + "/")) FRun.RecordRedirect(target, link);
    } catch (const std::exception& e) {
        FRun.Report().PostError(std::string("TDownloadThread.LocationChanged()\n") + e.what());
    }
}

void TResponseHandler::HeaderEnd(TRunClient& client) {
    TDownloadLink* link = client.CurrentLink;
    if (!link) return;
    try {
        const int status = client.StatusCode();
        if (status == 304)
            NotModified(client, *link);
        else if (status == 401) {
            client.SetStopReason(srAuthRequired);
            client.Abort();
        } else if (status >= 400 && status <= 599)
            ReportErrorStatus(client, *link);
        else if ((status >= 100 && status <= 199) || (status >= 300 && status <= 399))
            ;  // a redirect (handled when its connection closes) or an interim answer
        else
            StoreResponse(client, *link, status);
    } catch (const std::exception& e) {
        FRun.Report().PostError(std::string("TDownloadThread.HeaderEnd: \n") + e.what());
    }
    FRun.Report().Stats(FRun.Project());
}

void TResponseHandler::NotModified(TRunClient& client, TDownloadLink& link) {
    TDownloadProject& project = FRun.Project();
    project.RunSize += std::max<int32_t>(0, link.Size);
    ++project.DownloadedCount;
    FileDownloaded(project, link);
    FRun.Report().PostLog(FormatRunText(602, {client.URL}));
    client.SetStopReason(srNotModified);
    client.Abort();
}

void TResponseHandler::ReportErrorStatus(TRunClient& client, TDownloadLink& link) {
    FRun.Report().PostError(std::to_string(client.StatusCode()) + " " + client.ReasonPhrase() + " " + client.URL +
                            " Link war auf " + ReferrerText(link));
}

int TResponseHandler::Progress(TRunClient& client, TDownloadLink& link) const {
    // A continued file counts against its whole size.
    int64_t whole = client.StatusCode() == 206 && link.Size > 0 ? link.Size : client.ContentLength();
    if (whole <= 0) return -1;
    int64_t have = client.ReceiveStream ? client.ReceiveStream->Position() : client.ReceivedCount();
    return static_cast<int>(std::clamp<int64_t>(std::llround(have * 100.0 / static_cast<double>(whole)), 0, 100));
}

// Puts a continued receive stream where the answer's body belongs: at the
// start of the returned range (206), or at the start for a whole file. A
// range that does not fit what is held can't be stored: false.
bool TResponseHandler::PositionResumed(TRunClient& client, TDownloadLink& link, int status) {
    TStream* stream = client.Resuming ? client.ReceiveStream : nullptr;
    if (status != 206) {
        // The server sent the whole file: what was held is dropped first,
        // so the stored file is never the old part followed by the whole.
        if (stream) {
            stream->SetSize(0);
            stream->SetPosition(0);
        }
        return true;
    }
    const int64_t begin = RangeStart(client.ContentRangeBegin);
    const int64_t held = stream ? stream->Size() : 0;
    if (begin < 0 || begin > held) {
        FRun.Report().PostError("Unusable range " + client.ContentRangeBegin + "-" + client.ContentRangeEnd +
                                " for " + client.URL);
        return false;
    }
    if (!stream) return true;  // a range from 0 that was not asked for: the whole body
    stream->SetSize(begin);
    stream->SetPosition(begin);
    if (link.Size > 0)
        FRun.Report().ClientProgress(client.Number(),
                                     static_cast<int>(std::llround(begin * 100.0 / static_cast<double>(link.Size))));
    FRun.Report().PostLog(FormatRunText(601, {client.URL}));
    return true;
}

void TResponseHandler::Refuse(TRunClient& client) {
    client.SetStopReason(srFilteredOut);
    client.Abort();
    client.FreeReceiveStream();
    client.Resuming = false;
}

void TResponseHandler::StoreResponse(TRunClient& client, TDownloadLink& link, int status) {
    TDownloadProject& project = FRun.Project();
    if (!PositionResumed(client, link, status)) {
        Refuse(client);
        return;
    }
    // Filtered out by an earlier run: its referrers may point at its address.
    if (link.State == lsFilteredOut) FRun.Repairs().StoredAgain(link);
    if (link.State == lsDownloaded) project.ProjectSize -= std::max<int32_t>(0, link.Size);
    // Pending again while the new copy arrives (and no longer counted done).
    if (project.Downloaded->Contains(&link)) project.Downloaded->Remove(&link);
    link.State = lsPending;
    link.MimeType = client.ContentTypeString();
    if (status == 200) {
        link.Size = StoredSize(client.ContentLength());
        link.LastModified = client.LastModified;
    }
    if (!link.AcceptAfterHeaders() || !FRun.Votes().FilterAfterHeader(project, link)) {
        Refuse(client);
        return;
    }
    try {
        link.CompleteLocalFileName();
        NameAfterType(client, link);
        const std::string path = LinkFilePath(project, link);
        OpenReceiveStream(client, link, path);
    } catch (const EFileError& e) {
        StoreFailed(client, link, e);
        client.FreeReceiveStream();
        client.Resuming = false;
        return;
    } catch (const std::exception& e) {
        // Nothing can be stored: the link must not end as downloaded.
        FRun.Report().PostError(std::string("TDownloadThread.HeaderEnd: \n") + e.what());
        Refuse(client);
        return;
    }
    project.RunSize += std::max<int32_t>(0, link.Size);
    ++project.DownloadedCount;
    client.Counted = true;
    client.CountedSize = std::max<int32_t>(0, link.Size);
    client.StartLowSpeedWatch();
    FRun.Report().ClientStatus(client.Number(), RunText(605));
    FRun.Report().ClientSize(client.Number(), link.Size);
}

// In a rewriting mode a stored file's name tells its type (see
// links/TypeExtension.h); pages that named the file before are repaired at
// the end of the run. A continued file keeps the name it was begun under.
void TResponseHandler::NameAfterType(TRunClient& client, TDownloadLink& link) {
    TDownloadProject& project = FRun.Project();
    if (!project.RewritesLinks() || client.Resuming) return;
    const std::string oldName = link.LocalFileName;
    if (GiveTypeExtension(link, project, link.MimeType)) FRun.Repairs().Renamed(link, oldName);
}

void TResponseHandler::OpenReceiveStream(TRunClient& client, TDownloadLink& link, const std::string& path) {
    const bool html = link.MimeType == kHtmlMimeType;
    // Script files go to the script scanner and are stored as they come; a
    // parser plugin is asked for the other documents only.
    auto claimingPlugin = [&]() -> vorlin_sdk::IParserPluginInterface* {
        return link.LinkType == ltScriptFile ? nullptr : FRun.ClaimingParser(link);
    };
    if (client.Resuming && client.ReceiveStream) {
        if (html) {
            TMemoryStream* memory = client.ReceiveMemory();
            if (!memory) throw EStreamError("A continued page is not held in memory");
            client.Html().BeginDocument(link, *memory);
        } else if (auto* plugin = claimingPlugin()) {
            // The plugin gets the whole document: the part held so far, then the rest.
            client.ClaimedBy = plugin;
            TStream& file = *client.ReceiveStream;
            const int64_t held = file.Position();
            auto memory = std::make_unique<TMemoryStream>();
            file.SetPosition(0);
            if (held > 0) memory->CopyFrom(file, held);
            client.SetOwnedReceiveStream(std::move(memory));
        }
        return;  // otherwise the file is continued
    }
    client.Resuming = false;
    if (html) {
        client.Html().BeginDocument(link, client.NewReceiveMemory());
    } else if (auto* plugin = claimingPlugin()) {
        // The plugin stores the document itself, in the link's directory.
        ForceDirectoriesConfined(FRun.Project().TargetDir, ExtractFilePath(path));
        client.ClaimedBy = plugin;
        client.NewReceiveMemory();
    } else {
        client.SetOwnedReceiveStream(
            std::make_unique<TFileStream>(path, fmCreate | fmCreateDirectories, FRun.Project().TargetDir));
    }
}

void TResponseHandler::DocData(TRunClient& client, const char*, int length) {
    TDownloadLink* link = client.CurrentLink;
    if (!link || client.StopReason() != srRunning) return;
    if (FRun.QuitWaiting()) {
        // The run is ending: what still arrives would only pile up unread
        // until the connection is closed, so it is closed now.
        client.SetStopReason(srClosing);
        client.Abort();
        return;
    }
    try {
        client.TimeOutTimer().Restart();
        client.CountBodyBytes(length);
        if (PassedSizeLimit(client, *link)) return;
        if (client.ClaimedBy) StoreOversizedDocument(client, *link);
        const int status = client.StatusCode();
        if (status == 200 || status == 206) {
            TDownloadProject& project = FRun.Project();
            project.ProjectSize += length;
            FRun.Report().Bytes(project.ProjectSize);
            FRun.ReportBytes(length);
            int percent = Progress(client, *link);
            if (percent >= 0) FRun.Report().ClientProgress(client.Number(), percent);
        }
        if (link->MimeType == kHtmlMimeType && client.Html().IsOpen() && !LeftForScan(client)) {
            try {
                client.Html().ParseAvailable();
            } catch (const EFileError& e) {
                StoreFailed(client, *link, e);
                return;
            } catch (const std::exception& e) {
                // The page can't be parsed on: the transfer ends here.
                client.SetStopReason(srFilteredOut);
                client.Abort();
                throw Exception(std::string("Error while parsing HTML->") + e.what());
            }
            FRun.Scheduler().Wake();
            FRun.Report().Stats(FRun.Project());
        }
    } catch (const EFileError& e) {
        StoreFailed(client, *link, e);
    } catch (const std::exception& e) {
        FRun.Report().PostError("TDownloadThread.DocData(" + client.URL + " , #" + std::to_string(client.Number()) +
                                ")->" + e.what());
    }
}

// --- Limits and failures of storing ------------------------------------------------

bool TResponseHandler::PassedSizeLimit(TRunClient& client, TDownloadLink& link) {
    TDownloadProject& project = FRun.Project();
    if (!project.UseMaxFileSize) return false;
    // The announced length was checked with the header; this catches a
    // body that runs on past it, or came without one.
    const int64_t limit = static_cast<int64_t>(project.MaxFileSize) * 1024;
    const int64_t have = client.ReceiveStream ? client.ReceiveStream->Position() : client.ReceivedCount();
    if (have <= limit) return false;
    FRun.Report().PostError(Format("%s passed the file size limit of %d KB; it is not loaded", client.URL.c_str(),
                                   project.MaxFileSize));
    client.SetStopReason(srFilteredOut);
    client.Abort();
    client.Html().Reset();
    client.FreeReceiveStream();
    client.Resuming = false;
    const std::string path = LinkFilePath(project, link);
    FRun.SettleStoredFile(path);
    DeleteFileConfined(project.TargetDir, path);
    return true;
}

void TResponseHandler::StoreOversizedDocument(TRunClient& client, TDownloadLink& link) {
    TMemoryStream* held = client.ReceiveMemory();
    if (!held || held->Size() <= kMaxPluginDocument) return;
    // Too big to hold for its plugin: stored as received, like a plain file.
    TDownloadProject& project = FRun.Project();
    auto file = std::make_unique<TFileStream>(LinkFilePath(project, link), fmCreate | fmCreateDirectories,
                                              project.TargetDir);
    file->WriteBuffer(held->Memory(), held->Size() - held->Origin());
    client.ClaimedBy = nullptr;
    client.SetOwnedReceiveStream(std::move(file));
    DebugLog("A document of more than " + std::to_string(kMaxPluginDocument) + " bytes for a plugin is stored as received: " +
             client.URL);
}

void TResponseHandler::StoreFailed(TRunClient& client, TDownloadLink&, const EFileError& error) {
    client.TimeOutTimer().SetEnabled(false);
    client.StopLowSpeedWatch();
    client.SetStopReason(error.DiskFull() ? srClosing : srFilteredOut);
    TellStoreFailure(error);
    if (client.State() != THttpCliState::hcIdle) client.Abort();
    client.Html().Reset();
}

void TResponseHandler::TellStoreFailure(const EFileError& error) {
    if (error.DiskFull()) {
        // Nothing more can be stored: the run ends in order, and the link,
        // like every other unfinished one, waits for the next run.
        FRun.StopOnError("The download stops: " + error.Message());
    } else {
        FRun.Report().PostError(error.Message());
    }
}

void TResponseHandler::Uncount(TRunClient& client) {
    Uncount(client.Counted, client.CountedSize);
}

void TResponseHandler::Uncount(bool& counted, int64_t countedSize) {
    if (!counted) return;
    TDownloadProject& project = FRun.Project();
    project.RunSize -= countedSize;
    --project.DownloadedCount;
    counted = false;
}

} // namespace vorlin
