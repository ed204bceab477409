#include "cli/run/ProjectRunner.h"

#include "cli/Command.h"
#include "cli/run/Interrupt.h"
#include "platform/ProgramHome.h"
#include "cli/run/TerminalWindow.h"
#include "engine/DownloadThread.h"
#include "engine/MainWindowTarget.h"
#include "platform/FileSystem.h"
#include "platform/MessageQueue.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <unistd.h>

namespace vorlin::cli {

namespace {

// The plugins a new project starts with switched on.
const char* const kDefaultPlugins[] = {"css"};

void EnableDefaultPlugins(const TPluginSystem& plugins, const std::string& projectPluginsFile) {
    std::vector<bool> checked = PluginPageShown(plugins, projectPluginsFile);
    const std::vector<std::string>& names = plugins.PluginNames();
    for (size_t i = 0; i < names.size() && i < checked.size(); ++i)
        for (const char* wanted : kDefaultPlugins)
            if (names[i] == wanted && plugins.Plugins()[i]->Plugin) checked[i] = true;
    PluginPageClosed(plugins, projectPluginsFile, checked);
}

// Posted to this thread by the interrupt watch after the first Ctrl-C.
constexpr uint32_t WM_INTERRUPTED = WM_USER + 200;

// Serves the run's messages on this thread until it says it has ended.
void ServeUntilFinished(TTerminalWindow& window) {
    while (!window.Finished()) {
        TMsg msg;
        if (!GetMessage(msg)) break;
        if (msg.Target == 0 && msg.Message == WM_INTERRUPTED) {
            window.Notice("Stopping the download; the link data are being saved (Ctrl-C again stops at once)...");
            continue;
        }
        DispatchMessage(msg);
    }
}

// SIGINT blocked on this thread while it lives: threads started meanwhile
// inherit that, so Ctrl-C always reaches the front end's thread.
class TInterruptsBlocked {
public:
    TInterruptsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        pthread_sigmask(SIG_BLOCK, &set, &FPrevious);
    }
    ~TInterruptsBlocked() { pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr); }

private:
    sigset_t FPrevious;
};

} // namespace

int RunProject(TDownloadProject& project, const TProgramSettings& settings, const TRunRequest& request) {
    const std::string pluginsFile = request.ProjectFile + ".plugins";
    project.DataFileName = ChangeFileExt(request.ProjectFile, ".dat");

    std::unique_ptr<TInterruptsBlocked> blocked = std::make_unique<TInterruptsBlocked>();
    TPluginSystem plugins(PluginDirectory(request.Home), [](const std::string& message) {
        std::fprintf(stderr, "plugin: %s\n", message.c_str());
    });
    plugins.Load();
    plugins.Initialize();
    if (request.NewProject) EnableDefaultPlugins(plugins, pluginsFile);
    plugins.HandOverSettings(pluginsFile);

    TTerminalWindow window(request.Verbosity, stdout, isatty(STDOUT_FILENO) != 0, stderr, isatty(STDERR_FILENO) != 0);
    TMainWindowTarget target(window);
    auto run = std::make_unique<TDownloadThread>();
    target.SetRun(run.get());
    run->SetSettings(settings);
    run->SetProject(&project, target.Handle(), std::clamp<int>(settings.NumberOfThreads, kMinClients, kMaxClients));
    if (settings.ProxyEnabled)
        run->SetProxy(settings.ProxyServer, settings.ProxyPort, settings.ProxyUserName, settings.ProxyPassword);
    run->SetTimeouts(settings.TimeOutEnabled, settings.TimeOutLength, settings.NumberOfTries);
    run->SetStructureList(nullptr);
    run->SetProgramDirectory(request.Home);
    run->SetPluginSystem(&plugins);
    run->Resume();
    // Ctrl-C cancels the run as the window's cancel does: it ends in order
    // and saves its link data.
    const TThreadId runThread = run->ThreadId(), frontEnd = CurrentThreadId();
    TInterruptWatch interrupts([runThread, frontEnd] {
        PostThreadMessage(runThread, WM_QUIT);
        PostThreadMessage(frontEnd, WM_INTERRUPTED);
    });
    blocked.reset();
    ServeUntilFinished(window);
    run->WaitFor();
    const bool stoppedOnError = !run->FatalError().empty();
    run.reset();

    plugins.ClearSettings();
    plugins.Deinitialize();

    bool saved = true;
    try {
        project.SaveToFile(request.ProjectFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not save %s: %s\n", request.ProjectFile.c_str(), e.what());
        saved = false;
    }
    const TRunStats& stats = window.LastStats();
    // Nothing could be fetched at all: the start address failed.
    bool nothingFetched = stats.Downloaded == 0 && stats.FilteredOut > 0 && stats.Remaining == 0;
    if (interrupts.Interrupted()) return kExitInterrupted;
    if (!window.Started() || window.ErrorWhileEnding() || !saved || nothingFetched || stoppedOnError)
        return kExitFailure;
    return kExitOk;
}

} // namespace vorlin::cli
