// TMainWindowTarget: the front end's end of a run's message protocol. It is
// a message target on the front end's thread; its Handle() is the window
// handle the run is given. It decodes each message of the run, takes over
// and frees its payload, calls the IMainWindow there, and sends the answers
// the protocol asks for (WM_LINKS_SELECTED, WM_CREDENTIALS) back to the run.
#pragma once

#include "engine/MainWindow.h"
#include "platform/MessageTarget.h"

#include <atomic>

namespace vorlin {

class TDownloadThread;

class TMainWindowTarget {
public:
    explicit TMainWindowTarget(IMainWindow& window);
    TMainWindowTarget(const TMainWindowTarget&) = delete;
    TMainWindowTarget& operator=(const TMainWindowTarget&) = delete;

    THandle Handle() const { return FTarget.Handle(); }
    // Where the answers go: the run's thread. Set before the run starts.
    void SetRun(const TDownloadThread* run);
    void SetRunThread(TThreadId thread) { FRunThread = thread; }

private:
    intptr_t WndProc(TMsg& msg);
    intptr_t Dispatch(TMsg& msg);
    void SelectLinks(TMsg& msg);
    void AskCredentials(TMsg& msg);
    void Answer(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
                std::unique_ptr<TPayload> payload = nullptr);

    IMainWindow& FWindow;
    std::atomic<TThreadId> FRunThread{0};
    TMessageTarget FTarget;
};

} // namespace vorlin
