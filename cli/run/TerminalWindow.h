// The command line's "main window": prints what the run reports and asks
// its questions on the terminal. Log lines go to standard output, error
// lines to standard error (red on a terminal). On a terminal a status line
// under the log shows the progress, redrawn in place, and with -v the rows
// of the busy connections above it; nothing but plain lines is written when
// the output is not a terminal. Files the server reported unchanged are
// counted into the closing summary instead of printed (unless -v), and every
// address is shown with its password hidden.
#pragma once

#include "cli/run/ConnectionRows.h"
#include "cli/run/RunSummary.h"
#include "cli/run/RunOptions.h"
#include "cli/run/StatusLine.h"
#include "cli/run/TerminalPrompt.h"
#include "engine/MainWindow.h"

#include <cstdio>
#include <map>
#include <set>

namespace vorlin::cli {

class TTerminalWindow : public IMainWindow {
public:
    // outIsTerminal / errIsTerminal: whether the streams are terminals
    // (passed in so tests can say).
    TTerminalWindow(TVerbosity verbosity, FILE* out, bool outIsTerminal, FILE* err, bool errIsTerminal);
    ~TTerminalWindow() override;

    bool Finished() const { return FFinished; }
    // The run got past its start-up.
    bool Started() const { return FStarted; }
    // An error line came after the run began to shut down (its data may not be saved).
    bool ErrorWhileEnding() const { return FErrorWhileEnding; }
    const TRunStats& LastStats() const { return FFigures.Stats; }
    const TRunSummary& Summary() const { return FSummary; }

    // The project the run downloads: when the run starts, the addresses its
    // earlier runs downloaded are noted, so that the summary tells updated
    // files from new ones.
    void WatchProject(const TDownloadProject* project) { FProject = project; }
    // A line of the front end itself about the run (not of the run): on
    // standard output, left out with -q.
    void Info(const std::string& line);
    // A line of the front end that must be seen: on standard error.
    void Notice(const std::string& line);
    // An internal warning of the debug log (shown only when asked for).
    void DebugLine(const std::string& line);
    // The closing line: what the run did, in how long (not with -q).
    void PrintSummary(double seconds, bool stopped);

    void RunLog(const std::string& line) override;
    void ClearLog() override {}
    void RunError(const std::string& line) override;
    void ClientStatus(int clientIndex, const std::string& text) override;
    void ClientURL(int clientIndex, const std::string& url) override;
    void ClientSize(int, int64_t) override {}
    void ClientProgress(int, int) override {}
    void RunRate(int32_t bytesPerSecond) override;
    void RunStatus(const std::string&) override {}
    void RunStats(const TRunStats& stats) override;
    void RunBytes(int64_t projectSize) override;
    void RunStateChanged(TRunState state) override;
    void RunEnding() override { FEnding = true; }
    void ShutdownProgress(int, const std::string&) override {}
    void RunFinished() override;
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool AskCredentials(TAuthRec& request) override;
    bool SelectStructure(TDownloadProject& project) override;

private:
    // Prints a line above the status block.
    void Line(FILE* stream, const std::string& text, bool red = false);
    // The status block: the connection rows (with -v) and the status line.
    void ClearStatus();
    void DrawStatus(bool force);
    bool ShowsStatus() const { return FOutIsTerminal && FVerbosity != TVerbosity::vbQuiet; }
    bool ShowsRows() const { return FOutIsTerminal && FVerbosity == TVerbosity::vbVerbose; }
    // Lists the URLs numbered and applies what the user answers; an empty
    // list or no terminal chooses nothing.
    std::vector<bool> AskChoice(const std::string& title, const std::vector<std::string>& urls);
    // The addresses that earlier runs downloaded, into the summary.
    void NoteEarlierDownloads();
    // Without a terminal, -v prints a line for each status a busy
    // connection reports, with its address.
    void PrintConnectionLine(int clientIndex);

    TVerbosity FVerbosity;
    FILE* FOut;
    bool FOutIsTerminal;
    FILE* FErr;
    bool FErrIsTerminal;
    TTerminalPrompt FPrompt;
    bool FFinished = false;
    bool FStarted = false;
    bool FEnding = false;
    bool FErrorWhileEnding = false;
    bool FStatusShown = false;
    size_t FRowsShown = 0;  // rows drawn above the status line
    TConnectionRows FRows;
    TStatusFigures FFigures;
    std::set<int> FActive;  // clients with a URL
    std::map<int, std::pair<std::string, std::string>> FConnections;  // -v without a terminal: status, URL
    TRedrawThrottle FThrottle;
    TRunSummary FSummary;
    const TDownloadProject* FProject = nullptr;
};

} // namespace vorlin::cli
