#include "cli/run/ProjectRunner.h"

#include "cli/Command.h"
#include "cli/run/Interrupt.h"
#include "cli/run/ProjectTree.h"
#include "cli/run/ShellWords.h"
#include "cli/run/TerminalWindow.h"
#include "engine/DownloadThread.h"
#include "engine/MainWindowTarget.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/HiddenPasswords.h"
#include "platform/MessageQueue.h"
#include "platform/ProgramHome.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"

#include <algorithm>
#include <chrono>
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
// A line of the debug log, posted to this thread from any other (payload std::string).
constexpr uint32_t WM_DEBUG_LINE = WM_USER + 201;

// Handles the front end's own thread messages; false for any other.
bool HandleOwnMessage(TMsg& msg, TTerminalWindow& window) {
    if (msg.Target != 0) return false;
    if (msg.Message == WM_INTERRUPTED) {
        window.Notice("Stopping the download; the link data are being saved (Ctrl-C again stops at once)...");
        return true;
    }
    if (msg.Message == WM_DEBUG_LINE) {
        if (auto* line = msg.PayloadAs<std::string>()) window.DebugLine(*line);
        return true;
    }
    return false;
}

// Serves the run's messages on this thread until it says it has ended.
void ServeUntilFinished(TTerminalWindow& window) {
    while (!window.Finished()) {
        TMsg msg;
        if (!GetMessage(msg)) break;
        if (!HandleOwnMessage(msg, window)) DispatchMessage(msg);
    }
}

// What is still queued once the run has ended (debug lines of its last steps).
void ServeWhatIsLeft(TTerminalWindow& window) {
    TMsg msg;
    while (PeekMessage(msg))
        if (!HandleOwnMessage(msg, window)) DispatchMessage(msg);
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

// The debug log's lines reach the window on this thread, in order with the
// run's messages, or nowhere when they are not asked for.
class TDebugLogRoute {
public:
    TDebugLogRoute(bool shown) {
        const TThreadId frontEnd = CurrentThreadId();
        TDebugLogSink sink = [](const std::string&) {};
        if (shown)
            sink = [frontEnd](const std::string& line) {
                PostThreadMessage(frontEnd, WM_DEBUG_LINE, 0, 0, MakePayload(line));
            };
        FPrevious = SetDebugLogSink(sink);
    }
    ~TDebugLogRoute() { SetDebugLogSink(FPrevious); }
    TDebugLogRoute(const TDebugLogRoute&) = delete;
    TDebugLogRoute& operator=(const TDebugLogRoute&) = delete;

private:
    TDebugLogSink FPrevious;
};

// "Project /Quick Projects/host: URL", what becomes of it, and where its
// file and copy are.
void AnnounceProject(TTerminalWindow& window, const TDownloadProject& project, const TRunRequest& request) {
    std::string name = NodePathOf(request.Home, request.ProjectFile);
    if (name.empty()) name = ExtractFileName(request.ProjectFile);
    window.Info("Project " + name + ": " + ShownStartURL(project.URL));
    if (!request.ProjectNote.empty()) window.Info("  " + request.ProjectNote);
    window.Info("  project file: " + request.ProjectFile);
    if (!project.Destination.empty()) window.Info("  copy in: " + project.Destination);
}

} // namespace

int RunProject(TDownloadProject& project, const TProgramSettings& settings, const TRunRequest& request) {
    const std::string pluginsFile = request.ProjectFile + ".plugins";
    project.DataFileName = ChangeFileExt(request.ProjectFile, ".dat");
    const std::string resume = ShellCommand(request.ResumeCommand);

    std::unique_ptr<TInterruptsBlocked> blocked = std::make_unique<TInterruptsBlocked>();
    FILE* out = request.LogFile ? request.LogFile : stdout;
    FILE* err = request.LogFile ? request.LogFile : stderr;
    TTerminalWindow window(request.Verbosity, out, !request.LogFile && isatty(STDOUT_FILENO) != 0, err,
                           !request.LogFile && isatty(STDERR_FILENO) != 0);
    window.WatchProject(&project);
    AnnounceProject(window, project, request);

    TDebugLogRoute debugLog(request.ShowDebugLog);
    TPluginSystem plugins(PluginDirectory(request.Home), [&window](const std::string& message) {
        window.Notice("plugin: " + message);
    });
    plugins.Load();
    plugins.Initialize();
    if (request.NewProject) EnableDefaultPlugins(plugins, pluginsFile);
    plugins.HandOverSettings(pluginsFile);

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
    const auto started = std::chrono::steady_clock::now();
    if (!resume.empty()) SetImmediateEndMessage("To resume: " + resume);
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
    ServeWhatIsLeft(window);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    plugins.ClearSettings();
    plugins.Deinitialize();

    bool saved = true;
    try {
        project.SaveToFile(request.ProjectFile);
    } catch (const std::exception& e) {
        window.Notice("could not save " + request.ProjectFile + ": " + e.what());
        saved = false;
    }
    const bool stopped = interrupts.Interrupted();
    window.PrintSummary(seconds, stopped);
    if (stopped && !resume.empty()) {
        window.Notice("To resume: " + resume);
        // The log went into a file: the terminal is told too.
        if (request.LogFile) std::fprintf(stderr, "To resume: %s\n", HideURLPasswords(resume).c_str());
    }
    const TRunStats& stats = window.LastStats();
    // Nothing could be fetched at all: the start address failed.
    bool nothingFetched = stats.Downloaded == 0 && stats.FilteredOut > 0 && stats.Remaining == 0;
    if (stopped) return kExitInterrupted;
    if (!window.Started() || window.ErrorWhileEnding() || !saved || nothingFetched || stoppedOnError)
        return kExitFailure;
    return kExitOk;
}

} // namespace vorlin::cli
