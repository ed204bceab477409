// The command line's "main window": prints what the run reports. Log lines
// go to standard output, error lines to standard error. It also remembers
// how the run went, for the exit status.
#pragma once

#include "cli/run/RunOptions.h"
#include "engine/MainWindow.h"

#include <cstdio>

namespace vorlin::cli {

class TTerminalWindow : public IMainWindow {
public:
    TTerminalWindow(TVerbosity verbosity, FILE* out, FILE* err);

    bool Finished() const { return FFinished; }
    // The run got past its start-up.
    bool Started() const { return FStarted; }
    // An error line came after the run began to shut down (its data may not be saved).
    bool ErrorWhileEnding() const { return FErrorWhileEnding; }
    const TRunStats& LastStats() const { return FStats; }

    void RunLog(const std::string& line) override;
    void ClearLog() override {}
    void RunError(const std::string& line) override;
    void ClientStatus(int clientIndex, const std::string& text) override;
    void ClientURL(int clientIndex, const std::string& url) override;
    void ClientSize(int, int64_t) override {}
    void ClientProgress(int, int) override {}
    void RunRate(int32_t bytesPerSecond) override { FRate = bytesPerSecond; }
    void RunStatus(const std::string&) override {}
    void RunStats(const TRunStats& stats) override { FStats = stats; }
    void RunBytes(int64_t projectSize) override { FBytes = projectSize; }
    void RunStateChanged(TRunState state) override;
    void RunEnding() override { FEnding = true; }
    void ShutdownProgress(int, const std::string&) override {}
    void RunFinished() override { FFinished = true; }
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool AskCredentials(TAuthRec& request) override;
    bool SelectStructure(TDownloadProject& project) override;

private:
    void Line(FILE* stream, const std::string& text);

    TVerbosity FVerbosity;
    FILE* FOut;
    FILE* FErr;
    bool FFinished = false;
    bool FStarted = false;
    bool FEnding = false;
    bool FErrorWhileEnding = false;
    TRunStats FStats;
    int64_t FBytes = 0;
    int32_t FRate = 0;
};

} // namespace vorlin::cli
