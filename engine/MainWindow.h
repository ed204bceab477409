// What a download run needs of its "main window": the command line
// implements IMainWindow now, the desktop window later. The run never calls
// it directly; it posts the messages of RunMessages.h to a TMainWindowTarget
// on the front end's thread, which decodes them, frees their payloads and
// calls the interface there, and which sends the answers the protocol asks
// for (WM_LINKS_SELECTED, WM_CREDENTIALS) back to the run.
#pragma once

#include "engine/RunMessages.h"

#include <cstdint>
#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;
struct TAuthRec;

class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    virtual void RunLog(const std::string& line) = 0;
    virtual void ClearLog() = 0;
    virtual void RunError(const std::string& line) = 0;  // shown as an error (red)
    virtual void ClientStatus(int clientIndex, const std::string& text) = 0;
    virtual void ClientURL(int clientIndex, const std::string& url) = 0;  // empty clears
    virtual void ClientSize(int clientIndex, int64_t bytes) = 0;          // <= 0 clears
    virtual void ClientProgress(int clientIndex, int percent) = 0;
    virtual void RunRate(int32_t bytesPerSecond) = 0;
    virtual void RunStatus(const std::string& text) = 0;
    virtual void RunStats(const TRunStats& stats) = 0;
    virtual void RunBytes(int64_t projectSize) = 0;
    virtual void RunStateChanged(TRunState state) = 0;
    virtual void RunEnding() = 0;
    virtual void ShutdownProgress(int percent, const std::string& text) = 0;
    // The run has ended; the front end may free it and start another.
    virtual void RunFinished() = 0;

    // Half-automatic mode: the user chooses which links of the page to
    // follow; the window sets Forced on the chosen ones (each under its
    // link's lock) and clears it on the others it listed. The answer to the
    // run is sent when this returns, and the run gives the chosen links back
    // to the scheduler on its own thread.
    virtual void SelectLinks(TDownloadProject& project, TDownloadLink& page) = 0;
    // Asks for a user name and password for request.Link and request.Realm.
    // Answer true after filling request.UserName and request.Password. The
    // run goes on downloading meanwhile; only a state change waits for the
    // front end's thread, so a prompt may take as long as a person needs.
    virtual bool AskCredentials(TAuthRec& request) = 0;
    // Structure mode, at the end of the run, called synchronously on the
    // front end's thread while the run waits: set Forced on the links the
    // user ticked; false means cancel (the run then ends).
    virtual bool SelectStructure(TDownloadProject& project) = 0;
};

} // namespace vorlin
