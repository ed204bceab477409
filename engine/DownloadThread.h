// TDownloadThread: one download of one project from start to finish, on a
// thread of its own. It owns every connection, queue, parser and rule of the
// run and serves their events through its own message loop; it talks to the
// main window only through the messages of RunMessages.h (answered through a
// TMainWindowTarget) and the shared structure list.
//
// Use, on the front end's thread:
//   auto* run = new TDownloadThread();           // created suspended
//   target.SetRun(run);                          // the TMainWindowTarget
//   run->SetSettings(settings);
//   run->SetProject(&project, target.Handle(), connections);
//   run->SetProxy(host, port, user, password);   // only when the proxy is on
//   run->SetTimeouts(enabled, seconds, tries);
//   run->SetStructureList(&structure);
//   run->SetProgramDirectory(dir);               // where "passwords.lst" lives
//   run->SetPluginSystem(&plugins);              // or leave it: no plugins
//   run->Resume();
// Thread messages to run->ThreadId(): WM_QUIT (cancel), WM_RUN_PAUSE,
// WM_RUN_RESUME, WM_SET_CLIENT_COUNT, WM_OPEN_AFTER_DOWNLOAD, WM_CANCEL_URL,
// WM_RETRY_URL. Every run, also one that could not start, ends with
// WM_RUN_FINISHED; then call WaitFor() and delete it.
#pragma once

#include "engine/RunSetup.h"
#include "platform/Thread.h"

#include <string>

namespace vorlin {

class TDownloadThread : public TThread {
public:
    TDownloadThread();
    ~TDownloadThread() override;

    // Set-up, in this order, before Resume().
    void SetSettings(const TProgramSettings& settings);
    void SetProject(TDownloadProject* project, THandle mainWindow, int clientCount);
    // Ignored unless host and port are both non-empty.
    void SetProxy(const std::string& host, const std::string& port, const std::string& user,
                  const std::string& password);
    void SetTimeouts(bool enabled, int seconds, int tries);
    void SetStructureList(TStructureList* list);
    void SetProgramDirectory(const std::string& directory);
    void SetPluginSystem(TPluginSystem* plugins);

    // Finer settings than the program offers, for tests: the silence that
    // counts as a time-out in milliseconds, and the rate meter's period.
    void SetTimeoutMilliseconds(int milliseconds);
    void SetRateMeterPeriod(uint32_t milliseconds);
    void SetLowSpeedLimit(int64_t bytes, uint32_t milliseconds);

    const TRunSetup& Setup() const { return FSetup; }
    // After the run: why it stopped before it was done, when it stopped on
    // an error of its own (a full disk); empty otherwise. Read after WaitFor.
    const std::string& FatalError() const { return FFatalError; }

protected:
    void Execute() override;

private:
    TRunSetup FSetup;
    std::string FFatalError;
};

} // namespace vorlin
