#include "engine/DownloadThread.h"

#include "engine/DownloadRun.h"
#include "engine/RunReporter.h"
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

void TDownloadThread::SetSettings(const TProgramSettings& settings) {
    FSetup.Settings = settings;
    const bool limited = settings.LowSpeedLimit > 0 && settings.LowSpeedTime > 0;
    FSetup.LowSpeedBytes = limited ? settings.LowSpeedLimit : 0;
    FSetup.LowSpeedMs = limited ? static_cast<uint32_t>(settings.LowSpeedTime) * 1000u : 0;
}

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
void TDownloadThread::SetLowSpeedLimit(int64_t bytes, uint32_t milliseconds) {
    FSetup.LowSpeedBytes = bytes;
    FSetup.LowSpeedMs = milliseconds;
}

void TDownloadThread::Execute() {
    TRunReporter report(FSetup.MainWindow);
    try {
        if (!FSetup.Project) throw Exception("No project to download");
        TDownloadRun run(FSetup);
        run.Execute();
        FFatalError = run.FatalError();
    } catch (const std::exception& e) {
        report.PostError(e.what());
    }
    // Last of all, once the run has let go of the project: the main window
    // may free both when it sees this.
    report.Finished();
}

} // namespace vorlin
