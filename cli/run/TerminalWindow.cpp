#include "cli/run/TerminalWindow.h"

#include "cli/run/LinkChoice.h"
#include "links/UrlHelpers.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/PasswordList.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vorlin::cli {

namespace {

const char* const kClearLine = "\r\x1b[K";
const char* const kRed = "\x1b[31m";
const char* const kPlain = "\x1b[0m";

// The URL as a person reads it.
std::string Readable(const TDownloadLink& link) {
    try {
        return HTTPDecode(link.FullURL());
    } catch (const std::exception&) {
        return link.FullURL();
    }
}

bool Choosable(const TDownloadLink& link) { return link.Kind == lkHttp || link.Kind == lkRelative; }

size_t TerminalWidth(FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

} // namespace

TTerminalWindow::TTerminalWindow(TVerbosity verbosity, FILE* out, bool outIsTerminal, FILE* err, bool errIsTerminal)
    : FVerbosity(verbosity), FOut(out), FOutIsTerminal(outIsTerminal), FErr(err), FErrIsTerminal(errIsTerminal) {}

TTerminalWindow::~TTerminalWindow() { ClearStatus(); }

void TTerminalWindow::ClearStatus() {
    if (!FStatusShown) return;
    std::fputs(kClearLine, FOut);
    std::fflush(FOut);
    FStatusShown = false;
}

void TTerminalWindow::DrawStatus(bool force) {
    if (!ShowsStatus() || !FStarted) return;
    if (!FThrottle.Due() && !force) return;
    std::string text = FormatStatusLine(FFigures);
    // A wrapped line could not be redrawn in place.
    size_t width = TerminalWidth(FOut);
    if (text.size() >= width) text.resize(width > 1 ? width - 1 : 0);
    std::fputs(kClearLine, FOut);
    std::fwrite(text.data(), 1, text.size(), FOut);
    std::fflush(FOut);
    FStatusShown = true;
}

void TTerminalWindow::Line(FILE* stream, const std::string& text, bool red) {
    bool wasShown = FStatusShown;
    ClearStatus();
    bool colour = red && stream == FErr && FErrIsTerminal;
    if (colour) std::fputs(kRed, stream);
    std::fwrite(text.data(), 1, text.size(), stream);
    if (colour) std::fputs(kPlain, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    if (wasShown) DrawStatus(true);
}

void TTerminalWindow::Notice(const std::string& line) { Line(FErr, line); }

void TTerminalWindow::RunLog(const std::string& line) {
    if (FVerbosity != TVerbosity::vbQuiet) Line(FOut, line);
}

void TTerminalWindow::RunError(const std::string& line) {
    if (FEnding) FErrorWhileEnding = true;
    Line(FErr, line, true);
}

void TTerminalWindow::ClientStatus(int clientIndex, const std::string& text) {
    if (FVerbosity == TVerbosity::vbVerbose && !text.empty())
        Line(FOut, "  #" + std::to_string(clientIndex) + " " + text);
}

void TTerminalWindow::ClientURL(int clientIndex, const std::string& url) {
    if (url.empty())
        FActive.erase(clientIndex);
    else
        FActive.insert(clientIndex);
    FFigures.ActiveConnections = static_cast<int>(FActive.size());
    if (FVerbosity == TVerbosity::vbVerbose && !url.empty()) Line(FOut, "  #" + std::to_string(clientIndex) + " " + url);
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
    if (state == TRunState::ssRunning) FStarted = true;
}

void TTerminalWindow::RunFinished() {
    FFinished = true;
    if (!ShowsStatus() || !FStarted) return;
    // The last figures stay on the screen.
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
    FPrompt.Write(list);
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
    FPrompt.Write("The server asks for a user name and password (realm \"" + request.Realm + "\")" +
                  (where.empty() ? "" : " for " + where) + "\n");
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
