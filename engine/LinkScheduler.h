// Which link a run fetches next, and on which connection. The first
// unclaimed link of the link list wins; since the HTML parser appends pages
// and puts every other link right after its page, pages are fetched breadth
// first and each page's images before the pages found after it.
//
// Every link met by a claim is claimed (Slot -1) and either requested or
// filed away at once. Only a pause, a removed client, an authentication
// retry, the structure selection and the half-automatic choice give a link
// back (Slot 0). Whenever a link becomes claimable the idle clients are
// woken, so no link waits while a client is idle.
#pragma once

#include "engine/ClaimableLinks.h"

namespace vorlin {

class TDownloadLink;
class TDownloadRun;
class TQueue;
class TRunClient;

class TLinkScheduler {
public:
    explicit TLinkScheduler(TDownloadRun& run);

    // From the start of scheduling on (after the resume check), every
    // claimable link of the list is known, and new ones enter as they come.
    void Arm();
    void Disarm();
    // The link list's OnChange: a link was added.
    void LinkAdded(TDownloadLink* link);
    // Gives a claimed link back: Slot 0, out of the final lists (it is
    // pending again then), claimable; wakes the idle clients.
    void GiveBack(TDownloadLink& link);
    // Offers an unclaimed link again (one its server's manners held back).
    void Offer(TDownloadLink& link);
    // Starts the free-client queue if a claim had stopped it (not while the
    // run is paused or not scheduling).
    void Wake();

    // The free-client queue's handler: the client that became first.
    void FreeClientAnnounced(TQueue& queue, void* item, bool& stop);
    // Claims the next link for the client; false when there is none.
    bool ClaimNext(TRunClient& client);

    size_t Claimable() const { return FClaimable.Count(); }

private:
    bool MayClaim(TDownloadLink& link) const;
    void FileAway(TDownloadLink& link, bool downloaded);
    bool OfferToPlugins(TDownloadLink& link);
    bool StartOn(TRunClient& client, TDownloadLink& link);

    TDownloadRun& FRun;
    TClaimableLinks FClaimable;
    bool FArmed = false;
};

} // namespace vorlin
