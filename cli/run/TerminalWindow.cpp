#include "cli/run/TerminalWindow.h"

namespace vorlin::cli {

TTerminalWindow::TTerminalWindow(TVerbosity verbosity, FILE* out, FILE* err)
    : FVerbosity(verbosity), FOut(out), FErr(err) {}

void TTerminalWindow::Line(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void TTerminalWindow::RunLog(const std::string& line) {
    if (FVerbosity != TVerbosity::vbQuiet) Line(FOut, line);
}

void TTerminalWindow::RunError(const std::string& line) {
    if (FEnding) FErrorWhileEnding = true;
    Line(FErr, line);
}

void TTerminalWindow::ClientStatus(int clientIndex, const std::string& text) {
    if (FVerbosity == TVerbosity::vbVerbose && !text.empty())
        Line(FOut, "[" + std::to_string(clientIndex) + "] " + text);
}

void TTerminalWindow::ClientURL(int clientIndex, const std::string& url) {
    if (FVerbosity == TVerbosity::vbVerbose && !url.empty())
        Line(FOut, "[" + std::to_string(clientIndex) + "] " + url);
}

void TTerminalWindow::RunStateChanged(TRunState state) {
    if (state == TRunState::ssRunning) FStarted = true;
}

void TTerminalWindow::SelectLinks(TDownloadProject&, TDownloadLink&) {}

bool TTerminalWindow::AskCredentials(TAuthRec&) { return false; }

bool TTerminalWindow::SelectStructure(TDownloadProject&) { return true; }

} // namespace vorlin::cli
