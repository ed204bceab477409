#include "cli/run/TerminalWindow.h"

#include "cli/run/LinkChoice.h"
#include "cli/run/TerminalText.h"
#include "engine/RunReporter.h"
#include "engine/RunTexts.h"
#include "links/UrlHelpers.h"
#include "platform/HiddenPasswords.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/PasswordList.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vorlin::cli {

namespace {

const char* const kClearLine = "\r\x1b[K";
// From the start of the line to the end of the screen.
const char* const kClearBelow = "\r\x1b[J";
const char* const kRed = "\x1b[31m";
const char* const kPlain = "\x1b[0m";

// The URL as a person reads it, its password hidden.
std::string Readable(const TDownloadLink& link) { return HideURLPasswords(DisplayURL(link.FullURL())); }

// Client rows are numbered as the run numbers its clients (from 1).
std::string ClientNumber(int clientIndex) { return "#" + std::to_string(clientIndex + 1); }

bool Choosable(const TDownloadLink& link) { return link.Kind == lkHttp || link.Kind == lkRelative; }

winsize TerminalSize(FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) size = winsize{};
    if (size.ws_col == 0) size.ws_col = 80;
    if (size.ws_row == 0) size.ws_row = 24;
    return size;
}

} // namespace

TTerminalWindow::TTerminalWindow(TVerbosity verbosity, FILE* out, bool outIsTerminal, FILE* err, bool errIsTerminal)
    : FVerbosity(verbosity), FOut(out), FOutIsTerminal(outIsTerminal), FErr(err), FErrIsTerminal(errIsTerminal) {}

TTerminalWindow::~TTerminalWindow() { ClearStatus(); }

// The cursor stays at the end of the status line, the rows above it.
void TTerminalWindow::ClearStatus() {
    if (!FStatusShown) return;
    if (FRowsShown > 0) {
        std::fprintf(FOut, "\x1b[%zuA", FRowsShown);
        std::fputs(kClearBelow, FOut);
    } else {
        std::fputs(kClearLine, FOut);
    }
    std::fflush(FOut);
    FStatusShown = false;
    FRowsShown = 0;
}

void TTerminalWindow::DrawStatus(bool force) {
    if (!ShowsStatus() || !FStarted) return;
    if (!FThrottle.Due() && !force) return;
    // A wrapped line could not be redrawn in place, nor a block taller than
    // the screen: one line is left for the log.
    winsize size = TerminalSize(FOut);
    std::vector<std::string> rows;
    if (ShowsRows()) rows = FRows.Lines(size.ws_col, size.ws_row > 2 ? size.ws_row - 2u : 0u);
    const size_t width = size.ws_col > 1 ? size.ws_col - 1u : 0u;
    std::string text = TerminalSafe(FormatStatusLine(FFigures, width), width);
    if (FStatusShown)
        ClearStatus();
    else
        std::fputs(kClearLine, FOut);
    for (const std::string& row : rows) {
        std::fwrite(row.data(), 1, row.size(), FOut);
        std::fputc('\n', FOut);
    }
    std::fwrite(text.data(), 1, text.size(), FOut);
    std::fflush(FOut);
    FStatusShown = true;
    FRowsShown = rows.size();
}

void TTerminalWindow::Line(FILE* stream, const std::string& text, bool red) {
    bool wasShown = FStatusShown;
    ClearStatus();
    bool terminal = stream == FErr ? FErrIsTerminal : FOutIsTerminal;
    bool colour = red && stream == FErr && FErrIsTerminal;
    if (colour) std::fputs(kRed, stream);
    const std::string hidden = HideURLPasswords(text);
    const std::string shown = terminal ? TerminalSafeLines(hidden) : hidden;
    std::fwrite(shown.data(), 1, shown.size(), stream);
    if (colour) std::fputs(kPlain, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    if (wasShown) DrawStatus(true);
}

void TTerminalWindow::Info(const std::string& line) {
    if (FVerbosity != TVerbosity::vbQuiet) Line(FOut, line);
}

void TTerminalWindow::Notice(const std::string& line) { Line(FErr, line); }

void TTerminalWindow::DebugLine(const std::string& line) { Line(FErr, line); }

void TTerminalWindow::RunLog(const std::string& line) {
    const TLogLineKind kind = FSummary.NoteLog(line);
    if (FVerbosity == TVerbosity::vbQuiet) return;
    // Hundreds of them on an update: folded into the summary.
    if (kind == TLogLineKind::llUnchanged && FVerbosity != TVerbosity::vbVerbose) return;
    Line(FOut, line);
}

void TTerminalWindow::RunError(const std::string& line) {
    if (FEnding) FErrorWhileEnding = true;
    FSummary.NoteError(line);
    Line(FErr, line, true);
}

void TTerminalWindow::PrintConnectionLine(int clientIndex) {
    const auto& [status, url] = FConnections[clientIndex];
    // An idle connection has nothing to tell; its file's log line said it.
    if (url.empty() || status.empty() || status == RunText(606)) return;
    Line(FOut, "  " + ClientNumber(clientIndex) + " " + status + "  " + url);
}

void TTerminalWindow::ClientStatus(int clientIndex, const std::string& text) {
    if (ShowsRows()) {
        FRows.Status(clientIndex + 1, HideURLPasswords(text));
        DrawStatus(false);
    } else if (FVerbosity == TVerbosity::vbVerbose) {
        FConnections[clientIndex].first = text;
        PrintConnectionLine(clientIndex);
    }
}

void TTerminalWindow::ClientURL(int clientIndex, const std::string& url) {
    if (url.empty())
        FActive.erase(clientIndex);
    else
        FActive.insert(clientIndex);
    FFigures.ActiveConnections = static_cast<int>(FActive.size());
    if (ShowsRows()) {
        FRows.URL(clientIndex + 1, HideURLPasswords(url));
    } else if (FVerbosity == TVerbosity::vbVerbose) {
        FConnections[clientIndex].second = url;
        PrintConnectionLine(clientIndex);
    }
    DrawStatus(false);
}

void TTerminalWindow::RunRate(int32_t bytesPerSecond) {
    FFigures.BytesPerSecond = bytesPerSecond;
    DrawStatus(false);
}

void TTerminalWindow::RunStats(const TRunStats& stats) {
    FFigures.Stats = stats;
    DrawStatus(false);
}

void TTerminalWindow::RunBytes(int64_t projectSize) {
    FFigures.Bytes = projectSize;
    DrawStatus(false);
}

void TTerminalWindow::RunStateChanged(TRunState state) {
    if (state != TRunState::ssRunning || FStarted) return;
    FStarted = true;
    NoteEarlierDownloads();
}

// The state is sent: the run waits on its thread while the links are read.
void TTerminalWindow::NoteEarlierDownloads() {
    if (!FProject || !FProject->Links) return;
    for (TDownloadLink* link : *FProject->Links) {
        TLinkLock lock(*link);
        if (link->State == lsDownloaded) FSummary.NoteDownloadedBefore(DisplayURL(link->FullURL()));
    }
}

void TTerminalWindow::PrintSummary(double seconds, bool stopped) {
    if (!FStarted || FVerbosity == TVerbosity::vbQuiet) return;
    FSummary.NoteFilteredOut(FFigures.Stats.FilteredOut);
    Line(FOut, FSummary.Format(seconds, stopped));
}

void TTerminalWindow::RunFinished() {
    FFinished = true;
    if (!ShowsStatus() || !FStarted) return;
    // The last figures stay on the screen, without the rows.
    FRows.Clear();
    FActive.clear();
    FFigures.ActiveConnections = 0;
    DrawStatus(true);
    std::fputc('\n', FOut);
    std::fflush(FOut);
    FStatusShown = false;
}

std::vector<bool> TTerminalWindow::AskChoice(const std::string& title, const std::vector<std::string>& urls) {
    std::vector<bool> chosen(urls.size(), false);
    if (urls.empty() || !FPrompt.Available()) return chosen;
    ClearStatus();
    std::string list = title + "\n";
    for (size_t i = 0; i < urls.size(); ++i) list += "  " + std::to_string(i + 1) + ") " + urls[i] + "\n";
    FPrompt.Write(TerminalSafeLines(list));
    for (;;) {
        std::optional<std::string> answer =
            FPrompt.ReadLine("Select (a mask such as *.zip, numbers such as 1 3-5, Enter for none): ");
        if (!answer) return std::vector<bool>(urls.size(), false);
        std::string error;
        if (ChooseLinks(*answer, urls, chosen, error)) break;
        FPrompt.Write(error + "\n");
    }
    size_t count = 0;
    for (bool c : chosen) count += c;
    FPrompt.Write(std::to_string(count) + " of " + std::to_string(urls.size()) + " selected\n");
    DrawStatus(true);
    return chosen;
}

void TTerminalWindow::SelectLinks(TDownloadProject&, TDownloadLink& page) {
    std::vector<TDownloadLink*> links;
    std::vector<std::string> urls;
    std::string pageURL;
    {
        TLinkLock lock(page);
        pageURL = Readable(page);
        links = page.References;
    }
    std::vector<TDownloadLink*> listed;
    for (TDownloadLink* link : links) {
        TLinkLock lock(*link);
        if (!Choosable(*link) || link->IsForced()) continue;
        listed.push_back(link);
        urls.push_back(Readable(*link));
    }
    std::vector<bool> chosen = AskChoice("Links of " + pageURL, urls);
    for (size_t i = 0; i < listed.size(); ++i) {
        TLinkLock lock(*listed[i]);
        listed[i]->Forced = chosen[i];
    }
}

bool TTerminalWindow::SelectStructure(TDownloadProject& project) {
    std::vector<TDownloadLink*> listed;
    std::vector<std::string> urls;
    for (TDownloadLink* link : *project.Links) {
        TLinkLock lock(*link);
        if (!Choosable(*link) || link->IsForced()) continue;
        listed.push_back(link);
        urls.push_back(Readable(*link));
    }
    std::vector<bool> chosen = AskChoice("Links found (choose the files to download)", urls);
    for (size_t i = 0; i < listed.size(); ++i) {
        if (!chosen[i]) continue;
        TLinkLock lock(*listed[i]);
        listed[i]->Forced = true;
    }
    // Without a terminal nothing more is chosen and the run ends normally.
    return true;
}

bool TTerminalWindow::AskCredentials(TAuthRec& request) {
    if (!FPrompt.Available()) return false;
    ClearStatus();
    std::string where = request.Link ? Readable(*request.Link) : std::string();
    FPrompt.Write(TerminalSafeLines("The server asks for a user name and password (realm \"" + request.Realm + "\")" +
                                    (where.empty() ? "" : " for " + where)) +
                  "\n");
    std::optional<std::string> user = FPrompt.ReadLine("User name (Enter to cancel): ");
    if (!user || user->empty()) {
        DrawStatus(true);
        return false;
    }
    std::optional<std::string> password = FPrompt.ReadSecret("Password: ");
    DrawStatus(true);
    if (!password) return false;
    request.UserName = *user;
    request.Password = *password;
    return true;
}

} // namespace vorlin::cli
