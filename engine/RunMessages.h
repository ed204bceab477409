// The message protocol between a download run and its main window (the
// desktop window or the command line). The numbers are WM_USER-based, as
// the protocol has always been written. String and block payloads travel as
// TPayload values and belong to the receiver; a message dropped on the way
// frees its payload.
#pragma once

#include "platform/Messages.h"

#include <cstdint>
#include <string>

namespace vorlin {

// Run -> main window. Posted, except WM_RUN_STATE, which is sent and waits.
constexpr uint32_t WM_RUN_LOG = WM_USER + 1;            // payload std::string; none: clear the log
constexpr uint32_t WM_CLIENT_STATUS = WM_USER + 2;      // WParam client index; payload std::string
constexpr uint32_t WM_CLIENT_URL = WM_USER + 3;         // WParam client index; payload std::string (decoded URL)
constexpr uint32_t WM_CLIENT_SIZE = WM_USER + 4;        // WParam client index; LParam bytes (<= 0 clears)
constexpr uint32_t WM_CLIENT_PROGRESS = WM_USER + 5;    // WParam client index; LParam percent
constexpr uint32_t WM_RUN_FINISHED = WM_USER + 7;       // the run has ended; free it
constexpr uint32_t WM_RUN_RATE = WM_USER + 9;           // LParam bytes per second
constexpr uint32_t WM_RUN_STATUS = WM_USER + 10;        // payload std::string
constexpr uint32_t WM_RUN_STATS = WM_USER + 11;         // payload TRunStats
constexpr uint32_t WM_RUN_ERROR = WM_USER + 12;         // payload std::string (an error line)
constexpr uint32_t WM_RUN_BYTES = WM_USER + 15;         // payload int64_t: the project's ProjectSize
constexpr uint32_t WM_RUN_STATE = WM_USER + 17;         // sent; LParam TRunState
constexpr uint32_t WM_SELECT_LINKS = WM_USER + 18;      // WParam TDownloadProject*, LParam TDownloadLink* page
constexpr uint32_t WM_ASK_CREDENTIALS = WM_USER + 21;   // LParam TAuthRec* (owned by the run throughout)
constexpr uint32_t WM_RUN_ENDING = WM_USER + 26;        // the run is shutting down
constexpr uint32_t WM_SHUTDOWN_PROGRESS = WM_USER + 27; // WParam percent; payload std::string
// Structure mode, at the end of the run: sent (the run waits); WParam
// TDownloadProject*. The answer is 1 when the user confirmed, 0 to cancel.
constexpr uint32_t WM_SELECT_STRUCTURE = WM_USER + 28;

// Main window -> run: thread messages (and WM_QUIT to end the run).
constexpr uint32_t WM_RUN_PAUSE = WM_USER + 13;
constexpr uint32_t WM_RUN_RESUME = WM_USER + 14;
constexpr uint32_t WM_LINKS_SELECTED = WM_USER + 19;       // the half-automatic choice is made
constexpr uint32_t WM_SET_CLIENT_COUNT = WM_USER + 20;     // LParam the new number of connections
constexpr uint32_t WM_CREDENTIALS = WM_USER + 22;          // WParam TAuthRec*, LParam TDownloadLink*
constexpr uint32_t WM_OPEN_AFTER_DOWNLOAD = WM_USER + 23;  // WParam 0, LParam TDownloadLink*
constexpr uint32_t WM_CANCEL_URL = WM_USER + 24;           // WParam 1; payload std::string (URL as shown)
constexpr uint32_t WM_RETRY_URL = WM_USER + 25;            // WParam 1; payload std::string (URL as shown)

// Run -> itself: the autosave's link data file has been written (or has
// failed) on the writing thread.
constexpr uint32_t WM_AUTOSAVE_WRITTEN = WM_USER + 30;
// Run -> itself: the page store has finished pages to file (links/PageStore.h).
constexpr uint32_t WM_PAGES_STORED = WM_USER + 31;
// Run -> itself: the page scanner has scanned pages (links/PageScanner.h).
constexpr uint32_t WM_PAGES_SCANNED = WM_USER + 32;

// The answer TMainWindowTarget sends with WM_CREDENTIALS: the run copies it
// into its request on its own thread, so the front end never writes into the
// run's records. Without this payload the run reads the request itself and
// takes the link's SendCredentials as the confirmation.
struct TCredentialsAnswer {
    bool Confirmed = false;
    std::string UserName;
    std::string Password;
};

// The state a run reports on every change (one byte on the wire).
enum class TRunState : uint8_t {
    ssClosing = 0,
    ssIdle = 1,  // finished, or never started
    ssRunning = 2,
    ssPaused = 3,
    ssInitializing = 4,
};

// The 16-byte statistics block of WM_RUN_STATS, in this order.
struct TRunStats {
    int32_t Downloaded = 0;
    int32_t FilteredOut = 0;
    int32_t Remaining = 0;  // all links minus the other two
    int32_t All = 0;
};
static_assert(sizeof(TRunStats) == 16, "the statistics block is four 32-bit integers");

} // namespace vorlin
