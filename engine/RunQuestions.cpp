#include "engine/RunQuestions.h"

#include "engine/DownloadRun.h"
#include "engine/LinkFiling.h"
#include "engine/QueueItems.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"

#include <algorithm>

namespace vorlin {

TRunQuestions::TRunQuestions(TDownloadRun& run)
    : FRun(run), FCredentials([this](TQueue& q, void* item, bool& stop) { CredentialsFirst(q, item, stop); }) {
    if (run.Project().ProjectMode == pmHalfAutomatic)
        FSelection = std::make_unique<TQueue>(
            [this](TQueue& q, void* item, bool& stop) { SelectionFirst(q, item, stop); });
}

TRunQuestions::~TRunQuestions() = default;

void TRunQuestions::Start() {
    if (FSelection) FSelection->Start();
    FCredentials.Start();
}

void TRunQuestions::Stop() {
    if (FSelection) FSelection->Stop();
    FCredentials.Stop();
}

bool TRunQuestions::Idle() const { return FCredentials.Empty() && (!FSelection || FSelection->Empty()); }

void TRunQuestions::ProcessMessages() {
    FCredentials.ProcessMessages();
    if (FSelection) FSelection->ProcessMessages();
}

// --- Credentials --------------------------------------------------------------

std::string TRunQuestions::RealmOf(const std::vector<std::string>& authenticateHeaders) {
    for (const std::string& header : authenticateHeaders) {
        size_t equals = header.find('=');
        if (equals == std::string::npos) continue;
        if (!SameText(Trim(header.substr(0, equals)), "Basic Realm")) continue;
        std::string value = Trim(header.substr(equals + 1));
        // The quoted text; parameters after it (", charset=...") are not part of it.
        if (!value.empty() && value[0] == '"') {
            size_t close = value.find('"', 1);
            if (close != std::string::npos) return value.substr(1, close - 1);
        }
        return value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
    }
    return std::string();
}

std::string TRunQuestions::CredentialsMissingLine(const TAuthRec& request) const {
    const std::string realm = request.Realm.empty() ? std::string() : " (realm \"" + request.Realm + "\")";
    const bool refused = FRefused.count(&request) != 0;
    return request.Link->FullURL() + " needs a user name and password" + realm +
           (refused ? "; the ones given were refused" : "; none were given") +
           ", so it was not downloaded. Give the project a user name and password "
           "(vorlin: --user NAME --password PASSWORD) and run it again.";
}

void TRunQuestions::AskForCredentials(TDownloadLink& link, const std::string& realm) {
    TLinkLock lock(link);
    if (link.SendCredentials || !FRun.Passwords().Find(link)) {
        auto request = std::make_unique<TAuthRec>();
        request->Realm = realm;
        request->Link = &link;
        if (link.SendCredentials) FRefused.insert(request.get());
        link.SendCredentials = false;
        FCredentials.Push(request.get());
        FRequests.push_back(std::move(request));
        return;
    }
    link.SendCredentials = true;
    FRun.Scheduler().GiveBack(link);
}

void TRunQuestions::CredentialsFirst(TQueue&, void* item, bool& stop) {
    FRun.Report().AskCredentials(*static_cast<TAuthRec*>(item));
    stop = true;
}

TAuthRec* TRunQuestions::PendingRequest(uintptr_t pointer) const {
    for (const auto& request : FRequests)
        if (reinterpret_cast<uintptr_t>(request.get()) == pointer) return request.get();
    return nullptr;
}

void TRunQuestions::CredentialsAnswered(TMsg& msg) {
    // Only a request the run still holds is answered; anything else (an
    // answer that came twice) is dropped.
    TAuthRec* request = PendingRequest(msg.WParam);
    if (!request) return;
    TDownloadLink& link = *request->Link;
    bool confirmed;
    if (auto* answer = msg.PayloadAs<TCredentialsAnswer>()) {
        TLinkLock lock(link);
        confirmed = answer->Confirmed;
        link.SendCredentials = confirmed;
        request->UserName = answer->UserName;
        request->Password = answer->Password;
    } else {
        TLinkLock lock(link);
        confirmed = link.SendCredentials;
    }
    if (FCredentials.First() == request)
        FCredentials.Pop();
    else
        RemoveFromQueue(FCredentials, request);
    FCredentials.Start();
    if (confirmed) {
        FRun.Passwords().Store(link, request->UserName, request->Password);
        FRun.Scheduler().GiveBack(link);
    } else {
        // Say which address needed them and how to give them, or the page
        // would just be missing without a word.
        FRun.Report().PostError(CredentialsMissingLine(*request));
        FileFilteredOut(FRun.Project(), link);
        FRun.Report().Stats(FRun.Project());
    }
    FRefused.erase(request);
    FRequests.erase(std::find_if(FRequests.begin(), FRequests.end(),
                                 [&](const auto& r) { return r.get() == request; }));
    FRun.Scheduler().Wake();
}

// --- Half-automatic selection ---------------------------------------------------

void TRunQuestions::PageReceived(TDownloadLink& page) {
    if (FSelection) FSelection->Push(&page);
}

void TRunQuestions::SelectionFirst(TQueue& queue, void* item, bool& stop) {
    auto* page = static_cast<TDownloadLink*>(item);
    if (page->References.empty()) {
        queue.Pop();
        return;
    }
    FRun.Report().SelectLinks(FRun.Project(), *page);
    stop = true;
}

void TRunQuestions::LinksSelected() {
    if (!FSelection || FSelection->Empty()) return;
    auto* page = static_cast<TDownloadLink*>(FSelection->First());
    // The window only marked the links; the run gives the chosen ones back
    // here, on its own thread, so no claim can race with it.
    TDownloadProject& project = FRun.Project();
    for (TDownloadLink* link : page->References) {
        bool give = false;
        {
            TLinkLock lock(*link);
            give = project.FilteredOut->Contains(link) && link->IsForced();
        }
        if (give) FRun.Scheduler().GiveBack(*link);
    }
    FSelection->Pop();
    FSelection->ProcessMessages();
    FSelection->Start();
    FRun.Scheduler().Wake();
}

} // namespace vorlin
