#include "engine/MainWindowTarget.h"

#include "engine/DownloadThread.h"
#include "platform/DebugLog.h"
#include "platform/MessageQueue.h"
#include "project/DownloadLink.h"
#include "project/PasswordList.h"

#include <exception>

namespace vorlin {

TMainWindowTarget::TMainWindowTarget(IMainWindow& window)
    : FWindow(window), FTarget([this](TMsg& msg) { return WndProc(msg); }) {}

void TMainWindowTarget::SetRun(const TDownloadThread* run) { FRunThread = run ? run->ThreadId() : 0; }

void TMainWindowTarget::Answer(uint32_t message, uintptr_t wParam, intptr_t lParam,
                               std::unique_ptr<TPayload> payload) {
    TThreadId run = FRunThread;
    if (run == 0 || !PostThreadMessage(run, message, wParam, lParam, std::move(payload)))
        DebugLog("TMainWindowTarget: no run to answer");
}

void TMainWindowTarget::SelectLinks(TMsg& msg) {
    auto* project = reinterpret_cast<TDownloadProject*>(msg.WParam);
    auto* page = reinterpret_cast<TDownloadLink*>(msg.LParam);
    // The run waits for the answer whatever happens to the dialog.
    try {
        if (project && page) FWindow.SelectLinks(*project, *page);
    } catch (const std::exception& e) {
        DebugLogReport("Error in SelectLinks ()", e.what());
    }
    Answer(WM_LINKS_SELECTED);
}

void TMainWindowTarget::AskCredentials(TMsg& msg) {
    auto* request = reinterpret_cast<TAuthRec*>(msg.LParam);
    if (!request) return;
    // The window works on a copy: the run keeps its request to itself and
    // takes the answer over on its own thread.
    TAuthRec copy = *request;
    TCredentialsAnswer answer;
    try {
        answer.Confirmed = FWindow.AskCredentials(copy);
    } catch (const std::exception& e) {
        DebugLogReport("Error in AskCredentials ()", e.what());
        answer.Confirmed = false;
    }
    if (answer.Confirmed) {
        answer.UserName = copy.UserName;
        answer.Password = copy.Password;
    }
    Answer(WM_CREDENTIALS, reinterpret_cast<uintptr_t>(request), reinterpret_cast<intptr_t>(request->Link),
           MakePayload(std::move(answer)));
}

intptr_t TMainWindowTarget::WndProc(TMsg& msg) {
    // A front end's failure must not cross the loop that dispatched it.
    try {
        return Dispatch(msg);
    } catch (const std::exception& e) {
        DebugLogReport("TMainWindowTarget.WndProc", e.what());
        return 0;
    }
}

intptr_t TMainWindowTarget::Dispatch(TMsg& msg) {
    switch (msg.Message) {
    case WM_RUN_LOG:
        if (auto* text = msg.PayloadAs<std::string>())
            FWindow.RunLog(*text);
        else
            FWindow.ClearLog();
        break;
    case WM_RUN_ERROR:
        FWindow.RunError(msg.TakePayload<std::string>());
        break;
    case WM_CLIENT_STATUS:
        FWindow.ClientStatus(static_cast<int>(msg.WParam), msg.TakePayload<std::string>());
        break;
    case WM_CLIENT_URL:
        FWindow.ClientURL(static_cast<int>(msg.WParam), msg.TakePayload<std::string>());
        break;
    case WM_CLIENT_SIZE:
        FWindow.ClientSize(static_cast<int>(msg.WParam), static_cast<int64_t>(msg.LParam));
        break;
    case WM_CLIENT_PROGRESS:
        FWindow.ClientProgress(static_cast<int>(msg.WParam), static_cast<int>(msg.LParam));
        break;
    case WM_RUN_RATE:
        FWindow.RunRate(static_cast<int32_t>(msg.LParam));
        break;
    case WM_RUN_STATUS:
        FWindow.RunStatus(msg.TakePayload<std::string>());
        break;
    case WM_RUN_STATS:
        FWindow.RunStats(msg.TakePayload<TRunStats>());
        break;
    case WM_RUN_BYTES:
        FWindow.RunBytes(msg.TakePayload<int64_t>());
        break;
    case WM_RUN_STATE:
        FWindow.RunStateChanged(static_cast<TRunState>(msg.LParam));
        break;
    case WM_RUN_ENDING:
        FWindow.RunEnding();
        break;
    case WM_SHUTDOWN_PROGRESS:
        FWindow.ShutdownProgress(static_cast<int>(msg.WParam), msg.TakePayload<std::string>());
        break;
    case WM_RUN_FINISHED:
        FWindow.RunFinished();
        break;
    case WM_SELECT_LINKS:
        SelectLinks(msg);
        break;
    case WM_ASK_CREDENTIALS:
        AskCredentials(msg);
        break;
    case WM_SELECT_STRUCTURE: {
        auto* project = reinterpret_cast<TDownloadProject*>(msg.WParam);
        return project && FWindow.SelectStructure(*project) ? 1 : 0;
    }
    default:
        break;
    }
    return 0;
}

} // namespace vorlin
