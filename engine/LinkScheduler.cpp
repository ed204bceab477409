#include "engine/LinkScheduler.h"

#include "engine/DownloadRun.h"
#include "engine/LinkFiling.h"
#include "engine/RunReporter.h"
#include "platform/StringUtils.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkVotes.h"

#include <exception>

namespace vorlin {

TLinkScheduler::TLinkScheduler(TDownloadRun& run) : FRun(run), FClaimable(*run.Project().Links) {}

bool TLinkScheduler::MayClaim(TDownloadLink& link) const {
    return link.Slot == 0 && (!FRun.Resuming() || link.State == lsPending);
}

void TLinkScheduler::Arm() {
    FClaimable.Clear();
    for (TDownloadLink* link : *FRun.Project().Links)
        if (MayClaim(*link)) FClaimable.Add(link);
    FArmed = true;
}

void TLinkScheduler::Disarm() {
    FArmed = false;
    FClaimable.Clear();
}

void TLinkScheduler::LinkAdded(TDownloadLink* link) {
    if (!FArmed || !MayClaim(*link)) return;
    FClaimable.Add(link);
    Wake();
}

void TLinkScheduler::GiveBack(TDownloadLink& link) {
    TLinkLock lock(link);
    link.Slot = 0;
    // A link taken out of a final list is pending again: a resumed run
    // claims only pending links, and the link data must not call it done.
    if (Unfile(FRun.Project(), link)) link.State = lsPending;
    if (!FArmed) return;
    FClaimable.Add(&link);
    Wake();
}

void TLinkScheduler::Offer(TDownloadLink& link) {
    {
        TLinkLock lock(link);
        if (!FArmed || !MayClaim(link)) return;
    }
    FClaimable.Add(&link);
    Wake();
}

void TLinkScheduler::Wake() {
    if (!FArmed || FRun.Paused() || FRun.State() == TRunState::ssClosing) return;
    TQueue& queue = FRun.FreeClients();
    if (queue.Stopped()) queue.Start();
}

void TLinkScheduler::FreeClientAnnounced(TQueue& queue, void* item, bool& stop) {
    if (FRun.State() == TRunState::ssPaused || FRun.Paused()) return;
    TRunClient* client = FRun.ClientOf(item);
    if (!client) {
        queue.Pop();
        TRunClient* unknown = static_cast<TRunClient*>(item);
        FRun.Report().PostError(Format("FQueueFirstChanged (): Client nr. %d not in List !", unknown ? unknown->Tag : 0));
        return;
    }
    stop = !ClaimNext(*client);
}

void TLinkScheduler::FileAway(TDownloadLink& link, bool downloaded) {
    if (downloaded)
        FileDownloaded(FRun.Project(), link);
    else
        FileFilteredOut(FRun.Project(), link);
    FRun.Report().Stats(FRun.Project());
}

bool TLinkScheduler::OfferToPlugins(TDownloadLink& link) {
    return FRun.Votes().TakeLink(FRun.Project(), link);
}

// Prepares and starts the request; a request that can't even start (a URL
// without a host) files the link away instead of losing the client.
bool TLinkScheduler::StartOn(TRunClient& client, TDownloadLink& link) {
    link.Slot = client.Number();
    client.CurrentLink = &link;
    try {
        FRun.Responses().PrepareAndStart(client, link, true);
        return true;
    } catch (const std::exception& e) {
        client.TimeOutTimer().SetEnabled(false);
        client.Abort();
        client.FreeReceiveStream();
        client.CurrentLink = nullptr;
        FRun.Report().PostError("TDownloadThread.StartRequest(" + link.FullURL() + ")->" + e.what());
        FileAway(link, false);
        return false;
    }
}

bool TLinkScheduler::ClaimNext(TRunClient& client) {
    TDownloadProject& project = FRun.Project();
    const uint64_t scan = FClaimable.BeginScan();
    while (TDownloadLink* link = FClaimable.TakeFirst(scan)) {
        TLinkLock lock(*link);
        if (!MayClaim(*link)) continue;
        link->Slot = -1;
        try {
            if (link->Kind != lkHttp && link->Kind != lkRelative) {
                FileAway(*link, OfferToPlugins(*link));
                continue;
            }
            // A link held for its server passed the checks before.
            if (FRun.Manners().TakeAdmitted(*link) ||
                (link->AcceptBeforeRequest() && FRun.Votes().FilterBeforeRequest(project, *link))) {
                std::string rule;
                switch (FRun.Manners().Admit(*link, rule)) {
                case TAdmission::adHold:
                    // Unclaimed; the server's manners give it back when it is ready.
                    link->Slot = 0;
                    continue;
                case TAdmission::adRefused:
                    FRun.Report().PostLog("Filtered out by robots.txt (" + rule + "): " + DisplayURL(link->FullURL()));
                    break;
                case TAdmission::adGo:
                    if (!StartOn(client, *link)) continue;
                    FRun.FreeClients().Pop();
                    return true;
                }
            }
        } catch (const std::exception& e) {
            // A failing rule or plugin must not leave the link claimed for
            // ever: the run would never be complete.
            FRun.Report().PostError(std::string("TDownloadThread.ClaimNextLink->") + e.what());
        }
        FileAway(*link, false);
    }
    return false;
}

} // namespace vorlin
