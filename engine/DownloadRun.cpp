// The run's life and its message loop.
#include "engine/DownloadRun.h"

#include "engine/CPSThread.h"
#include "engine/RateLimit.h"
#include "engine/LinkFiling.h"
#include "engine/QueueItems.h"
#include "engine/RunTexts.h"
#include "engine/StructureList.h"
#include "links/HTMLParserHooks.h"
#include "net/ConnectionPool.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/MessageQueue.h"
#include "platform/Shell.h"
#include "platform/Ticks.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LinkVotes.h"
#include "project/LocalPath.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/PluginSystem.h"

#include <algorithm>

namespace vorlin {

namespace {

constexpr uint32_t kMinAutosaveGapMs = 1000;

[[maybe_unused]] const char* StateName(TRunState state) {
    switch (state) {
    case TRunState::ssClosing: return "ssClosing";
    case TRunState::ssIdle: return "ssIdle";
    case TRunState::ssRunning: return "ssRunning";
    case TRunState::ssPaused: return "ssPaused";
    case TRunState::ssInitializing: return "ssInitializing";
    }
    return "?";
}

} // namespace

TDownloadRun::TDownloadRun(const TRunSetup& setup)
    : FSetup(setup),
      FProject(*setup.Project),
      FReport(setup.MainWindow),
      FFreeClients([this](TQueue& q, void* item, bool& stop) { FScheduler.FreeClientAnnounced(q, item, stop); }),
      FScheduler(*this),
      FResponses(*this),
      FQuestions(*this),
      FManners(*this) {}

TDownloadRun::~TDownloadRun() {
    // Whatever ended the run, the project keeps no handler of it, nor its
    // thread the store's wake-up.
    SetIdleHandler(nullptr);
    SetLinkListHandler(false);
    SetStateListHandlers(false);
    FScheduler.Disarm();
    for (auto& client : FClients) client->DetachEvents();
    if (FFormerVotes) FProject.Plugins = FFormerVotes;
}

void TDownloadRun::SetState(TRunState state) {
    if (state == FState) return;
#ifndef NDEBUG
    DebugLog(std::string("TDownloadRun: ") + StateName(FState) + " -> " + StateName(state));
#endif
    FState = state;
    FReport.State(state);
}

TRunClient* TDownloadRun::ClientOf(void* queueItem) const {
    for (const auto& client : FClients)
        if (client.get() == queueItem) return client.get();
    return nullptr;
}

ILinkPluginVotes& TDownloadRun::Votes() { return FProject.Plugins ? *FProject.Plugins : NoPluginVotes(); }

IHTMLParserHooks& TDownloadRun::ParserHooks() {
    return FSetup.Plugins ? FSetup.Plugins->ParserHooks() : NoHTMLParserHooks();
}

vorlin_sdk::IParserPluginInterface* TDownloadRun::ClaimingParser(TDownloadLink& link) {
    return FSetup.Plugins ? FSetup.Plugins->ClaimingParser(FProject, link) : nullptr;
}

void TDownloadRun::RecordRedirect(TDownloadLink* target, TDownloadLink* redirected) {
    FRedirects.emplace_back(target, redirected);
}

void TDownloadRun::StopOnError(const std::string& line) {
    if (!FFatalError.empty()) return;
    FFatalError = line;
    FReport.PostError(line);
    PostQuitMessage(0);
}

void TDownloadRun::ReportBytes(int64_t bytes) {
    if (FRateMeter) FRateMeter->ReportBytes(bytes);
}

void TDownloadRun::RetireClient(TRunClient& client) {
    RemoveFromQueue(FFreeClients, &client);
    auto it = std::find_if(FClients.begin(), FClients.end(), [&](const auto& c) { return c.get() == &client; });
    if (it == FClients.end()) return;
    client.DetachEvents();
    client.TimeOutTimer().SetEnabled(false);
    FRetired.push_back(std::move(*it));
    FClients.erase(it);
}

void TDownloadRun::ClientIdle(TRunClient& client) {
    if (client.RemovalPending) {
        RetireClient(client);
        return;
    }
    if (!FFreeClients.Contains(&client)) FFreeClients.Push(&client);
}

void TDownloadRun::FreeRetiredClients() { FRetired.clear(); }

// --- The whole run ---------------------------------------------------------------

void TDownloadRun::Execute() {
    bool started = false;
    try {
        StartUp();
        started = true;
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
    if (!started) {
        // The main window still learns that the run has ended (from the
        // thread, once this object is gone), so it can start another.
        AbandonStartUp();
        SetState(TRunState::ssIdle);
        return;
    }
    MessageLoop();
    ShutDown();
}

// --- The loop --------------------------------------------------------------------

bool TDownloadRun::QuitWaiting() const {
    TMsg msg;
    return PeekMessage(msg, 0, WM_QUIT, WM_QUIT, false);
}

bool TDownloadRun::Complete() const {
    const TDownloadProject& project = FProject;
    return project.Downloaded->Count() + project.FilteredOut->Count() == project.Links->Count() &&
           FFreeClients.Count() == static_cast<int32_t>(FClients.size()) && FQuestions.Idle();
}

// Each pass, in this order:
//   1. leave on a waiting WM_QUIT (also looked for after 2 and 3);
//   2. handle the message: a thread message here, a target's by dispatch;
//   3. the free-client queue's pending announcements;
//   4. one pending message of each client, last to first;
//   5. the completion test: done means the structure selection (structure
//      mode, once) or WM_QUIT to the run itself;
//   6. otherwise autosave when it is due.
// A failure of one pass is reported and the loop goes on.
void TDownloadRun::MessageLoop() {
    for (;;) {
        TMsg msg;
        if (!GetMessage(msg)) break;
        try {
            if (QuitWaiting()) break;
            if (msg.Target == 0)
                HandleThreadMessage(msg);
            else
                DispatchMessage(msg);
            if (QuitWaiting()) break;
            FFreeClients.ProcessMessages();
            if (QuitWaiting()) break;
            for (size_t i = FClients.size(); i-- > 0;)
                if (i < FClients.size()) FClients[i]->ProcessOneMessage();
            if (Complete()) {
                if (FProject.ProjectMode == pmShowStructure && !FProject.StructureShown)
                    ShowStructure();
                else
                    PostQuitMessage(0);
            } else {
                AutosaveIfDue();
            }
        } catch (const std::exception& e) {
            FReport.PostError(std::string("In DownloadThread.MsgLoop:") + e.what());
        }
        FreeRetiredClients();
    }
}

void TDownloadRun::HandleThreadMessage(TMsg& msg) {
    switch (msg.Message) {
    case WM_RUN_PAUSE:
        Pause();
        break;
    case WM_RUN_RESUME:
        ResumeRun();
        break;
    case WM_SET_CLIENT_COUNT:
        SetClientCount(static_cast<int>(msg.LParam));
        break;
    case WM_CREDENTIALS:
        FQuestions.CredentialsAnswered(msg);
        break;
    case WM_OPEN_AFTER_DOWNLOAD:
        if (msg.WParam == 0) OpenAfterDownload(reinterpret_cast<TDownloadLink*>(msg.LParam));
        break;
    case WM_CANCEL_URL:
        CancelURL(msg.TakePayload<std::string>(), srGivenUp);
        break;
    case WM_RETRY_URL:
        CancelURL(msg.TakePayload<std::string>(), srRetry);
        break;
    case WM_LINKS_SELECTED:
        FQuestions.LinksSelected();
        break;
    case WM_AUTOSAVE_WRITTEN:
        FinishAutosave(false);
        break;
    case WM_PAGES_STORED:
        if (FPageStore) FResponses.PagesStored(FPageStore->TakeFinished());
        break;
    case WM_PAGES_SCANNED:
        if (FPageScanner) FResponses.PagesScanned(FPageScanner->TakeFinished());
        break;
    default:
        break;  // the rate meter's figures among them: the window has them
    }
}

void TDownloadRun::Pause() {
    if (FPaused) return;
    FPaused = true;
    FFreeClients.Stop();
    SetState(TRunState::ssPaused);
    // A page that has arrived whole is stored, not given back.
    FResponses.FinishScans();
    for (const auto& client : FClients) {
        if (!client->Busy() || client->StopReason() != srRunning) continue;
        client->SetStopReason(srPaused);
        FScheduler.GiveBack(*client->CurrentLink);
        client->TimeOutTimer().SetEnabled(false);
        client->Abort();
        FResponses.ParseWhatArrived(*client);
        client->Html().Reset();
    }
}

void TDownloadRun::ResumeRun() {
    if (!FPaused) return;
    SetState(TRunState::ssRunning);
    FPaused = false;
    FFreeClients.Start();
}

void TDownloadRun::SetClientCount(int count) {
    count = std::clamp(count, kMinClients, kMaxClients);
    // Lowering: the clients above the count leave, an idle one at once, a
    // busy one when its request is done (its link is offered again).
    for (size_t i = FClients.size(); i-- > 0;) {
        TRunClient& client = *FClients[i];
        if (client.Number() <= count || client.RemovalPending) continue;
        client.RemovalPending = true;
        if (!client.Busy()) {
            RetireClient(client);
            continue;
        }
        client.TimeOutTimer().SetEnabled(false);
        client.SetStopReason(srRemoved);
        client.Abort();
    }
    // Raising: a client still on its way out stays; the missing ones are made.
    bool added = false;
    for (int number = 1; number <= count; ++number) {
        auto it = std::find_if(FClients.begin(), FClients.end(), [&](const auto& c) { return c->Number() == number; });
        if (it != FClients.end()) {
            (*it)->RemovalPending = false;
            continue;
        }
        CreateClient(number);
        added = true;
    }
    std::sort(FClients.begin(), FClients.end(), [](const auto& a, const auto& b) { return a->Number() < b->Number(); });
    if (added) FScheduler.Wake();
}

void TDownloadRun::SettleStoredFile(const std::string& hostPath) {
    if (FPageStore) FPageStore->Settle(hostPath);
}

void TDownloadRun::OpenAfterDownload(TDownloadLink* link) {
    if (!link) return;
    bool beingFetched = std::any_of(FClients.begin(), FClients.end(),
                                    [&](const auto& client) { return client->CurrentLink == link; });
    bool openNow;
    {
        TLinkLock lock(*link);
        link->OpenAfterDownload = true;
        // A file that is there already is opened now.
        openNow = !beingFetched && FProject.Downloaded->Contains(link);
    }
    if (openNow) ShellOpen(LinkFilePath(FProject, *link));
}

void TDownloadRun::CancelURL(const std::string& url, TStopReason reason) {
    for (const auto& client : FClients) {
        if (!client->Busy() || DisplayURL(client->CurrentLink->FullURL()) != url) continue;
        client->TimeOutTimer().SetEnabled(false);
        client->SetStopReason(reason);
        client->Abort();
        return;
    }
}

// Structure mode: the user picks, from the whole structure, the links to
// fetch; those that were filtered out are offered again.
void TDownloadRun::ShowStructure() {
    try {
        FProject.StructureShown = true;
        if (!FReport.SelectStructure(FProject)) {
            PostQuitMessage(0);
            return;
        }
        for (TDownloadLink* link : *FProject.Links) {
            if (link->Kind != lkHttp && link->Kind != lkRelative) continue;
            if (FProject.FilteredOut->Contains(link)) FScheduler.GiveBack(*link);
        }
        FFreeClients.ProcessMessages();
        FScheduler.Wake();
    } catch (const std::exception& e) {
        FReport.PostError(std::string("TDownloadThread.ShowStructure\n") + e.what());
    }
}

void TDownloadRun::SaveLinkData() {
    ForceDirectories(ExtractFilePath(FProject.DataFileName));
    int lastPercent = -1;
    FProject.Links->SaveToFile(
        FProject.DataFileName,
        [&](void*, TDownloadProject*, int percent) {
            // One report per step, not one per link.
            if (percent == lastPercent) return;
            lastPercent = percent;
            FReport.ShutdownProgress(percent / 2, RunText(618));
        },
        this, kLinkDataVersion);
}

void TDownloadRun::StartLinkDataForResume() {
    // A link redirected to a target that is not stored yet is saved as
    // pending: a run that dies before the target arrives asks for it again
    // when resumed, and so records the redirect again. In this run it stays
    // as it is; the snapshot is taken before the states are put back.
    std::vector<std::pair<TDownloadLink*, TLinkState>> saved;
    for (auto [target, redirected] : FRedirects) {
        if (target == redirected || target->State != lsPending || redirected->State == lsPending) continue;
        saved.emplace_back(redirected, redirected->State);
        redirected->State = lsPending;
    }
    auto restore = [&] {
        for (auto [link, state] : saved) link->State = state;
    };
    try {
        ForceDirectories(ExtractFilePath(FProject.DataFileName));
        int lastPercent = -1;
        const TThreadId run = CurrentThreadId();
        FAutosave.Start(
            *FProject.Links, FProject.DataFileName, kLinkDataVersion,
            [run] { PostThreadMessage(run, WM_AUTOSAVE_WRITTEN); },
            [&](void*, TDownloadProject*, int percent) {
                if (percent == lastPercent) return;
                lastPercent = percent;
                FReport.ShutdownProgress(percent / 2, RunText(618));
            },
            this);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// The link data is snapshot here and written on FAutosave's thread, so that
// a list of a hundred thousand links holds the loop up only for the
// snapshot; "Autosave completed!" follows once the file is on disk. An
// autosave still being written when the next one is due puts that one off.
void TDownloadRun::AutosaveIfDue() {
    if (!FSetup.Settings.AutosaveEnabled || FProject.DataFileName.empty()) return;
    // An interval of 0 still leaves a second between two saves: a save
    // after every message would cost more than the download itself.
    if (GetTickCount() - FLastAutosave < std::max<uint32_t>(FAutosaveInterval, kMinAutosaveGapMs)) return;
    if (FAutosave.Started() && !FAutosave.Done()) return;
    FinishAutosave(true);
    FReport.PostLog(RunText(629));
    FAutosaveProjectFailed = false;
    try {
        CopyFinishedRedirects();
        StartLinkDataForResume();
    } catch (const std::exception& e) {
        ReportAutosaveError(e);
        FLastAutosave = GetTickCount();
        return;
    }
    try {
        FProject.SaveToFile(ChangeFileExt(FProject.DataFileName, ".prj"));
    } catch (const std::exception& e) {
        FAutosaveProjectFailed = true;
        ReportAutosaveError(e);
    }
    FLastAutosave = GetTickCount();
}

void TDownloadRun::FinishAutosave(bool wait) {
    if (!FAutosave.Started() || (!wait && !FAutosave.Done())) return;
    try {
        FAutosave.Wait();
        if (!FAutosaveProjectFailed) FReport.PostLog(RunText(630));
    } catch (const std::exception& e) {
        ReportAutosaveError(e);
    }
}

// A full disk stops the run in order (the next autosave could not do
// better); other failures are reported and the run goes on.
void TDownloadRun::ReportAutosaveError(const std::exception& e) {
    const std::string line = std::string("Error autosaving project´s data: ") + e.what();
    const auto* fileError = dynamic_cast<const EFileError*>(&e);
    if (fileError && fileError->DiskFull())
        StopOnError(line);
    else
        FReport.PostError(line);
}

} // namespace vorlin
