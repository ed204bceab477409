// The end of a run, in order: the clients go, the redirect copies are made,
// the stored pages' references are repaired, the link data, the plugins'
// data and the password list are saved, and the project is left without any
// of the run's objects. Each step that can fail
// reports its failure and the next step goes on.
#include "engine/DownloadRun.h"

#include <algorithm>

#include "engine/CPSThread.h"
#include "engine/RunTexts.h"
#include "engine/StructureList.h"
#include "net/ConnectionPool.h"
#include "links/TypeExtension.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LinkVotes.h"
#include "project/LocalPath.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/PluginSystem.h"

namespace vorlin {

void TDownloadRun::ShutDown() {
    // The rate meter finishes its period while the rest is saved.
    if (FRateMeter) FRateMeter->Terminate();
    FProject.FileCount = FProject.Links->Count();
    FProject.FilteredOutCount = FProject.FilteredOut->Count();

    FReport.Ending();
    SetLinkListHandler(false);
    FScheduler.Disarm();
    SetState(TRunState::ssClosing);
    FReport.LogAndStatus(RunText(610));
    FFreeClients.Stop();
    // Pages that have arrived whole are stored before the clients go.
    FResponses.FinishScans();
    FQuestions.Stop();
    FManners.Stop();
    RemoveClients();
    FinishStoringPages();
    FManners.SaveCookies();

    // Before the link data is saved, so that a redirected link whose target
    // is still pending is stored as pending too.
    CopyRedirectedFiles();
    // An autosave still being written goes first: both write the same file.
    FinishAutosave(true);
    RepairStoredReferences();
    FReport.LogAndStatus(RunText(618));
    try {
        if (!FProject.DataFileName.empty()) SaveLinkData();
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
    FinishPlugins();
    SavePasswords();
    CleanUp();
    ReadRateMeter();
    FReport.ShutdownProgress(100, RunText(625));
    FReport.Status(RunText(611));
    SetState(TRunState::ssIdle);
}

void TDownloadRun::FinishStoringPages() {
    if (!FPageStore) return;
    FPageStore->Drain();
    FResponses.PagesStored(FPageStore->TakeFinished());
}

void TDownloadRun::RemoveClients() {
    FReport.ShutdownProgress(0, RunText(623));
    const size_t count = FClients.size();
    for (size_t i = 0; i < count; ++i) {
        TRunClient& client = *FClients[i];
        client.DetachEvents();
        client.TimeOutTimer().SetEnabled(false);
        client.SetStopReason(srClosing);
        client.Abort();
        FResponses.ParseWhatArrived(client);
        client.Html().Reset();
        client.FreeReceiveStream();
        FReport.ShutdownProgress(static_cast<int>((i + 1) * 10 / count), RunText(623));
    }
    FClients.clear();
    FRetired.clear();
    // The kept connections end with the run.
    FConnectionPool.reset();
}

void TDownloadRun::CopyRedirectedFiles() {
    for (auto [target, redirected] : FRedirects) {
        try {
            if (target == redirected) continue;
            if (target->State == lsPending) {
                if (FProject.FilteredOut->Contains(redirected)) FProject.FilteredOut->Remove(redirected);
                redirected->State = lsPending;
            } else if (target->State == lsDownloaded) {
                CopyRedirectTarget(*target, *redirected);
            }
        } catch (const std::exception& e) {
            FReport.PostError(e.what());
        }
    }
    FRedirects.clear();
}

void TDownloadRun::CopyFinishedRedirects() {
    auto done = std::remove_if(FRedirects.begin(), FRedirects.end(), [this](const auto& record) {
        auto [target, redirected] = record;
        if (target == redirected || target->State != lsDownloaded) return false;
        try {
            CopyRedirectTarget(*target, *redirected);
        } catch (const std::exception& e) {
            FReport.PostError(e.what());
        }
        return true;
    });
    FRedirects.erase(done, FRedirects.end());
}

void TDownloadRun::CopyRedirectTarget(TDownloadLink& target, TDownloadLink& redirected) {
    // The redirected URL's name gets the target's file, so that the pages'
    // links to it work offline.
    redirected.CompleteLocalFileName();
    // The copy is of the target's type: in a rewriting mode its name says so.
    const std::string oldName = redirected.LocalFileName;
    if (FProject.RewritesLinks() && GiveTypeExtension(redirected, FProject, target.MimeType))
        FRepairs.Renamed(redirected, oldName);
    const std::string from = LinkFilePath(FProject, target);
    const std::string to = LinkFilePath(FProject, redirected);
    if (from == to || !FileExists(from)) return;
    // Both names lie below the target directory: no link there is followed.
    try {
        TFileStream source(from, fmOpenRead, FProject.TargetDir);
        TFileStream copy(to, fmCreate | fmCreateDirectories, FProject.TargetDir);
        copy.CopyFrom(source, source.Size());
    } catch (const std::exception& e) {
        FReport.PostError("Can't copy " + from + " to " + to + ": " + e.what());
    }
}

void TDownloadRun::FinishPlugins() {
    FReport.ShutdownProgress(60, RunText(624));
    if (!FSetup.Plugins || FProject.DataFileName.empty()) return;
    try {
        FSetup.Plugins->FinishDownload(FProject, FProject.DataFileName + ".plugins");
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
}

void TDownloadRun::SavePasswords() {
    FReport.ShutdownProgress(90, RunText(624));
    // No list, no file: a run without credentials leaves nothing behind.
    if (!FPasswordFileExisted && FPasswords.Count() == 0) return;
    try {
        FPasswords.SaveToFile(PasswordFile());
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
    FPasswords.Clear();
}

void TDownloadRun::CleanUp() {
    FReport.ShutdownProgress(90, RunText(625));
    try {
        // No entry of the structure list may outlive its link.
        if (FSetup.Structure) FSetup.Structure->Clear();
        SetStateListHandlers(false);
        FProject.Links->Clear();
        FProject.Downloaded->Clear();
        FProject.FilteredOut->Clear();
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
    FRules.reset();
    if (FFormerVotes) FProject.Plugins = FFormerVotes;
    FFormerVotes = nullptr;
}

void TDownloadRun::ReadRateMeter() {
    if (!FRateMeter) return;
    FRateMeter->Terminate();
    FRateMeter->WaitFor();
    FProject.AverageCPS = FRateMeter->AverageRate();
    FProject.LastDuration = FRateMeter->RunningTime();
    FProject.PeekCPS = FRateMeter->PeakRate();
    FRateMeter.reset();
}

void TDownloadRun::AbandonStartUp() {
    FFreeClients.Stop();
    FScheduler.Disarm();
    for (auto& client : FClients) {
        client->DetachEvents();
        client->Abort();
    }
    FClients.clear();
    FConnectionPool.reset();
    SetLinkListHandler(false);
    SetStateListHandlers(false);
    if (FRateMeter) FRateMeter->Terminate();
    if (FOwnsLinkData) {
        if (FSetup.Structure) FSetup.Structure->Clear();
        FProject.Links->Clear();
        FProject.Downloaded->Clear();
        FProject.FilteredOut->Clear();
    }
    FRules.reset();
    if (FFormerVotes) FProject.Plugins = FFormerVotes;
    FFormerVotes = nullptr;
}

} // namespace vorlin
