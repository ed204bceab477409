// What a download run tells its main window: every message of the run's
// protocol (RunMessages.h), posted with its payload, and the one state
// message that is sent and waits. Client rows are named by client number
// here and become 0-based indices on the wire.
#pragma once

#include "engine/FetchOwner.h"
#include "engine/RunMessages.h"

#include <cstdint>
#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;
struct TAuthRec;

class TRunReporter final : public IFetchOwner {
public:
    explicit TRunReporter(THandle mainWindow) : FMainWindow(mainWindow) {}

    void PostLog(const std::string& text) override;
    void PostError(const std::string& text) override;
    void ClearLog();
    void Status(const std::string& text);
    // A line that goes to the log and the status bar.
    void LogAndStatus(const std::string& text);

    void ClientStatus(int clientNumber, const std::string& text);
    // The URL as shown: percent-decoded (as it stands when it can't be).
    void ClientURL(int clientNumber, const std::string& url);
    void ClientSize(int clientNumber, int64_t bytes);
    void ClientProgress(int clientNumber, int percent);
    // "Bereit", no URL, no progress, no size.
    void ClientIdle(int clientNumber);

    void Stats(const TDownloadProject& project);
    void Bytes(int64_t projectSize);
    // Sent: the main window has seen the state when this returns.
    void State(TRunState state);
    void Ending();
    void ShutdownProgress(int percent, const std::string& text);
    void Finished();

    void SelectLinks(TDownloadProject& project, TDownloadLink& page);
    void AskCredentials(TAuthRec& request);
    // Sent: true when the user confirmed the selection.
    bool SelectStructure(TDownloadProject& project);

private:
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam, std::unique_ptr<TPayload> payload = nullptr);

    THandle FMainWindow;
};

// The percent-decoded form of a URL for display; the text itself when it
// holds a malformed escape.
std::string DisplayURL(const std::string& url);

} // namespace vorlin
