// TDownloadRun: everything one download run owns and does, created on the
// run's thread by TDownloadThread::Execute (the queues and connections bind
// their message targets to the thread that creates them). The start-up
// steps are in RunStartup.cpp, the end of the run in RunShutdown.cpp, the
// choice of links in LinkScheduler, the answers in ResponseHandler.
#pragma once

#include "engine/LinkScheduler.h"
#include "engine/ResponseHandler.h"
#include "engine/RunClient.h"
#include "engine/RunQuestions.h"
#include "engine/RunReporter.h"
#include "engine/RunSetup.h"
#include "engine/ServerManners.h"
#include "engine/Queue.h"
#include "project/LinkDataWriter.h"
#include "links/PageScanner.h"
#include "links/PageStore.h"
#include "links/ReferenceRepair.h"
#include "project/PasswordList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorlin {

class IHTMLParserHooks;
class ILinkPluginVotes;
class TCPSThread;
class TRateLimit;
class THTTPVorlinRules;
class THttpConnectionPool;

// A start-up step refused to go on; the message is posted as an error line.
class ERunAborted : public Exception {
public:
    using Exception::Exception;
};

class TDownloadRun {
public:
    using TClientList = std::vector<std::unique_ptr<TRunClient>>;

    explicit TDownloadRun(const TRunSetup& setup);
    ~TDownloadRun();
    TDownloadRun(const TDownloadRun&) = delete;
    TDownloadRun& operator=(const TDownloadRun&) = delete;

    // The whole run: start-up, message loop, end. The caller tells the main
    // window that the run has finished once this object is gone.
    void Execute();

    // --- What the scheduler and the response handler share ---------------------
    TDownloadProject& Project() { return FProject; }
    const TRunSetup& Setup() const { return FSetup; }
    TRunReporter& Report() { return FReport; }
    TPassWordList& Passwords() { return FPasswords; }
    TQueue& FreeClients() { return FFreeClients; }
    TLinkScheduler& Scheduler() { return FScheduler; }
    // Scans finished pages beside the run; null when it could not start.
    TPageScanner* Scanner() { return FPageScanner.get(); }
    TResponseHandler& Responses() { return FResponses; }
    TRunQuestions& Questions() { return FQuestions; }
    TServerManners& Manners() { return FManners; }
    const TClientList& Clients() const { return FClients; }
    TRunClient* ClientOf(void* queueItem) const;
    ILinkPluginVotes& Votes();
    IHTMLParserHooks& ParserHooks();
    // The first enabled parser plugin that claims the link, or null.
    vorlin_sdk::IParserPluginInterface* ClaimingParser(TDownloadLink& link);

    // A WM_QUIT is waiting in the run's queue (the run is about to end).
    bool QuitWaiting() const;
    TRunState State() const { return FState; }
    bool Paused() const { return FPaused; }
    bool Resuming() const { return FResuming; }

    void RecordRedirect(TDownloadLink* target, TDownloadLink* redirected);
    // Stops the run in order after an error it can't go on with (a full
    // disk): the line is posted, the run ends as after a cancel, and the
    // front end learns of it through FatalError. The first such error wins.
    void StopOnError(const std::string& line);
    const std::string& FatalError() const { return FFatalError; }
    // What the stored pages' references need at the end of the run.
    TReferenceRepair& Repairs() { return FRepairs; }
    // Waits until a page being written to hostPath is on disk, before the
    // run reads, continues or removes that file.
    void SettleStoredFile(const std::string& hostPath);
    void ReportBytes(int64_t bytes);
    // Takes the client out of the run; it is freed once the current message
    // has been handled (it may be the one whose event is running).
    void RetireClient(TRunClient& client);
    // Pushes an idle client back on the free-client queue, or retires it when
    // the client count was lowered below its number.
    void ClientIdle(TRunClient& client);
    // What every connection of the run shares: the proxy, the
    // identification, certificate checking and the kept connections.
    void ConfigureConnection(THttpCli& client);

private:
    // Start-up (RunStartup.cpp).
    void StartUp();
    void CheckProject();
    void LoadLinkData();
    void CreateStartLink();
    void TestStartAddress(TDownloadLink& link);
    // Serves the loop's targets until done; the main window's messages wait
    // in FDeferred (RepostDeferred hands them to the loop).
    void WaitDuringStartUp(const std::function<bool()>& done, const std::function<void()>& onQuit);
    void RepostDeferred();
    void ResumeCheck();
    void RefileLoadedLinks();
    void LoadPasswords();
    void CreateClient(int number);
    // The project's rate limit, when it sets one (before the clients).
    void StartRateLimit();
    void StartPlugins();
    void LoadRules();
    void SetLinkListHandler(bool install);
    void SetStateListHandlers(bool install);
    std::string PasswordFile() const;

    // The loop (DownloadRun.cpp).
    void MessageLoop();
    void HandleThreadMessage(TMsg& msg);
    bool Complete() const;
    void ShowStructure();
    void AutosaveIfDue();
    // Reports the autosave's link data file once its writing has ended;
    // with wait, waits for it first (the run is about to save or end).
    void FinishAutosave(bool wait);
    void ReportAutosaveError(const std::exception& e);
    void SaveLinkData();
    void Pause();
    void ResumeRun();
    void SetClientCount(int count);
    void OpenAfterDownload(TDownloadLink* link);
    void CancelURL(const std::string& url, TStopReason reason);
    void FreeRetiredClients();
    void SetState(TRunState state);

    // The end (RunShutdown.cpp).
    void ShutDown();
    void RemoveClients();
    // Waits for the page store and files what it finished.
    void FinishStoringPages();
    void CopyRedirectedFiles();
    // At an autosave: the copies whose target is stored already, so a run
    // that dies later keeps them (the link data says those links are done).
    void CopyFinishedRedirects();
    void CopyRedirectTarget(TDownloadLink& target, TDownloadLink& redirected);
    // Points the references of stored pages at what is there (RunRepairs.cpp).
    void RepairStoredReferences();
    // The autosave's link data: as SaveLinkData, with the links redirected
    // to a target still to come stored as pending; encoded now, written by
    // FAutosave's thread.
    void StartLinkDataForResume();
    void FinishPlugins();
    void SavePasswords();
    void CleanUp();
    void ReadRateMeter();
    // After a start-up that did not reach the loop: leave the project as it
    // was found, without saving anything.
    void AbandonStartUp();

    TRunSetup FSetup;
    TDownloadProject& FProject;
    TRunReporter FReport;
    TPassWordList FPasswords;
    // The run's kept connections (persistent connections on); it outlives
    // every client, which may hand it a connection up to its end.
    std::unique_ptr<THttpConnectionPool> FConnectionPool;
    // The clients read through it; it outlives them.
    std::unique_ptr<TRateLimit> FRateLimit;
    // Writes the pages the clients' parsers store; it outlives them.
    std::unique_ptr<TPageStore> FPageStore;
    std::unique_ptr<TPageScanner> FPageScanner;
    TClientList FClients;
    TClientList FRetired;
    TQueue FFreeClients;
    TLinkScheduler FScheduler;
    TResponseHandler FResponses;
    TRunQuestions FQuestions;
    // robots.txt, waits and cookies; its robots.txt clients use the pool.
    TServerManners FManners;
    std::unique_ptr<TCPSThread> FRateMeter;
    std::unique_ptr<THTTPVorlinRules> FRules;
    ILinkPluginVotes* FFormerVotes = nullptr;
    std::vector<std::pair<TDownloadLink*, TDownloadLink*>> FRedirects;  // (target, redirected)
    TReferenceRepair FRepairs;
    std::vector<TMsg> FDeferred;  // thread messages that came during the start-address test
    std::string FFatalError;
    TRunState FState = TRunState::ssIdle;
    bool FPaused = false;
    bool FResuming = false;
    bool FOwnsLinkData = false;        // the run filled the link list (and empties it)
    bool FPasswordFileExisted = false;
    uint32_t FLastAutosave = 0;
    uint32_t FAutosaveInterval = 0;
    // Compresses and writes the autosave's link data beside the loop, which
    // waits only for the snapshot. Declared last: it is waited for first.
    TLinkDataWriter FAutosave;
    bool FAutosaveProjectFailed = false;  // the project file of that autosave
};

} // namespace vorlin
