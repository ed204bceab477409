// The questions a run puts to the user through its main window, one at a
// time each: credentials for a link that the server protects (401), and in
// half-automatic mode the links of each received page to follow. The run
// goes on downloading while a question is open; it is complete only when
// every question has been answered.
#pragma once

#include "engine/Queue.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadRun;
struct TAuthRec;
struct TMsg;

class TRunQuestions {
public:
    explicit TRunQuestions(TDownloadRun& run);
    ~TRunQuestions();

    // Starts the queues (the selection queue only in half-automatic mode).
    void Start();
    void Stop();
    // Nothing asked and nothing waiting to be asked.
    bool Idle() const;
    // Every message the queues have posted to themselves.
    void ProcessMessages();

    // After a 401: the realm of the response's "Basic Realm" header.
    static std::string RealmOf(const std::vector<std::string>& authenticateHeaders);
    // A 401 for the link: retry with the stored credentials when there are
    // some that were not tried yet, otherwise ask the user.
    void AskForCredentials(TDownloadLink& link, const std::string& realm);
    // WM_CREDENTIALS.
    void CredentialsAnswered(TMsg& msg);

    // Half-automatic mode: a received page (or script or plugin document)
    // whose links the user is to choose from.
    void PageReceived(TDownloadLink& page);
    // WM_LINKS_SELECTED: the links the user forced are given back.
    void LinksSelected();

private:
    // The error line for a request that got no usable answer.
    std::string CredentialsMissingLine(const TAuthRec& request) const;

    void CredentialsFirst(TQueue& queue, void* item, bool& stop);
    void SelectionFirst(TQueue& queue, void* item, bool& stop);
    TAuthRec* PendingRequest(uintptr_t pointer) const;

    TDownloadRun& FRun;
    TQueue FCredentials;
    std::unique_ptr<TQueue> FSelection;  // half-automatic mode only
    std::vector<std::unique_ptr<TAuthRec>> FRequests;  // owned while queued
    std::set<const TAuthRec*> FRefused;  // requests after credentials the server refused
};

} // namespace vorlin
