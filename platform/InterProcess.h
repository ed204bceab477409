// How programs of one user find and talk to each other: the desktop
// program, the scheduler, the viewing server, the update patcher and
// `vorlin queue`. Stands in for global atoms, window classes found by name,
// messages posted to another program's window, registered message numbers
// and WM_COPYDATA. Every name lives in the user's runtime directory; the
// wire format is written down in platform/README.md.
//
// A message that arrives for a published window is posted into the message
// queue of the thread that published it, to the target it named, so it is
// handled in the same loop and order as every other message of that thread.
// Only WM_NULL, WM_CLOSE, WM_QUIT, WM_SYSCOMMAND with SC_CLOSE, registered
// messages and WM_COPYDATA cross from one program to another; their
// parameters are plain numbers chosen by another program, never pointers to
// trust (an "opaque value" handed out must be looked up, not dereferenced).
#pragma once

#include "platform/Messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {

// The directory that holds the names below: $XDG_RUNTIME_DIR/HTTPVorlin,
// else a private directory of the user's under the temporary directory.
// Created with mode 0700 on first use. Tests point it elsewhere.
std::string InterProcessDirectory();
void SetInterProcessDirectoryForTests(const std::string& directory);

// Global atoms: a name that exists while a program that added it runs.
// Names compare without regard to ASCII case; adds are counted per program
// (the last delete removes it). An atom of a program that died without
// deleting it counts as absent. Names of 1 to 1024 bytes.
bool AddGlobalAtom(const std::string& name);
void DeleteGlobalAtom(const std::string& name);
bool GlobalAtomExists(const std::string& name);

// The number a message name stands for, the same in every program and every
// session (0xC000..0xFFFF, as registered window messages are): a hash of the
// name without regard to ASCII case, so it needs no shared table.
uint32_t RegisterWindowMessage(const std::string& name);

// Data carried by WM_COPYDATA: the receiver gets it as the message's
// payload (TPayloadOf<TCopyData>), WParam the sender's window.
constexpr uint32_t WM_COPYDATA = 0x004A;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint64_t SC_CLOSE = 0xF060;
// At most 1 MiB of Bytes crosses.
struct TCopyData {
    uintptr_t Tag = 0;          // dwData
    std::vector<uint8_t> Bytes;  // lpData, cbData
};

// A window of another program (or of this one), found by its class: the
// publishing program's process id in the high half, a random number in the
// low half, so a value that outlived its window never reaches another one.
using TRemoteWindow = uint64_t;  // 0: none

// Makes a target of the calling thread reachable by window class (one
// program per class at a time; a stale publication of a dead program is
// taken over). Messages sent to it are posted to `target` on this thread.
// Answers the window value other programs see, 0 on failure. The
// publication ends with the returned object.
class TPublishedWindow {
public:
    virtual ~TPublishedWindow() = default;
    virtual TRemoteWindow Window() const = 0;
    // What FindWindowByTitle compares with (the window's caption).
    virtual void SetTitle(const std::string& title) = 0;
};
std::unique_ptr<TPublishedWindow> PublishWindow(const std::string& windowClass, THandle target,
                                                const std::string& title = {});

// The published window of that class, or 0 when no running program has one.
TRemoteWindow FindWindowByClass(const std::string& windowClass);
// The published window with exactly that title (any class), or 0.
TRemoteWindow FindWindowByTitle(const std::string& title);
// Whether the window's program runs and still publishes it.
bool IsWindow(TRemoteWindow window);
// Posts a message to another program's window; false when it is gone.
bool PostRemoteMessage(TRemoteWindow window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
// Delivers WM_COPYDATA and waits until the receiver has taken it (not until
// it was handled); false when the window is gone.
bool SendCopyData(TRemoteWindow window, TRemoteWindow sender, const TCopyData& data);
// Asks the window to close (WM_CLOSE) and waits up to timeoutMs (-1: for
// ever) until its publication is gone. whileWaiting, when given, is called
// every few milliseconds meanwhile, so the caller can serve its own window.
// True when it is gone.
bool CloseWindowAndWait(TRemoteWindow window, int timeoutMs,
                        const std::function<void()>& whileWaiting = nullptr);

} // namespace vorlin
