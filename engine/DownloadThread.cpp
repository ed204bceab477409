#include "engine/DownloadThread.h"

#include "engine/RunMessages.h"
#include "platform/MessageQueue.h"

#include <algorithm>

namespace vorlin {

TDownloadThread::TDownloadThread() : TThread(true) {}

TDownloadThread::~TDownloadThread() {
    // Execute uses FSetup: it must have returned before the members go. A
    // run deleted while it still runs is cancelled first.
    Terminate();
    if (!Finished()) PostThreadMessage(ThreadId(), WM_QUIT);
    WaitFor();
}

void TDownloadThread::SetSettings(const TProgramSettings& settings) { FSetup.Settings = settings; }

void TDownloadThread::SetProject(TDownloadProject* project, THandle mainWindow, int clientCount) {
    FSetup.Project = project;
    FSetup.MainWindow = mainWindow;
    FSetup.ClientCount = std::clamp(clientCount, kMinClients, kMaxClients);
}

void TDownloadThread::SetProxy(const std::string& host, const std::string& port, const std::string& user,
                               const std::string& password) {
    if (host.empty() || port.empty()) return;
    FSetup.ProxyHost = host;
    FSetup.ProxyPort = port;
    FSetup.ProxyUser = user;
    FSetup.ProxyPassword = password;
}

void TDownloadThread::SetTimeouts(bool enabled, int seconds, int tries) {
    FSetup.TimeOutEnabled = enabled;
    FSetup.TimeOutMs = std::max(0, seconds) * 1000;
    FSetup.NumberOfTries = std::max(0, tries);
}

void TDownloadThread::SetStructureList(TStructureList* list) { FSetup.Structure = list; }
void TDownloadThread::SetProgramDirectory(const std::string& directory) { FSetup.ProgramDirectory = directory; }
void TDownloadThread::SetPluginSystem(TPluginSystem* plugins) { FSetup.Plugins = plugins; }
void TDownloadThread::SetTimeoutMilliseconds(int milliseconds) { FSetup.TimeOutMs = std::max(0, milliseconds); }
void TDownloadThread::SetRateMeterPeriod(uint32_t milliseconds) { FSetup.RateMeterPeriodMs = milliseconds; }

void TDownloadThread::Execute() {
    // FIXME: the run itself is being built; until then it ends at once.
    PostMessage(FSetup.MainWindow, WM_RUN_FINISHED);
}

} // namespace vorlin
