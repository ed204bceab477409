// Whole download runs for tests: a project in a temporary directory, a main
// window that records everything the run tells it (and answers its
// questions as a test says), and the run started, waited for with a reaper
// so a stuck run fails the test, and freed.
#pragma once

#include "engine/DownloadThread.h"
#include "engine/MainWindow.h"
#include "engine/MainWindowTarget.h"
#include "engine/StructureList.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class TPluginSystem;
}

namespace vorlin::test {

// Runs on the test's thread (the TMainWindowTarget calls it there).
class TRecordingWindow : public IMainWindow {
public:
    std::vector<std::string> Logs, Errors, Statuses;
    std::vector<TRunState> States;
    std::map<int, std::vector<std::string>> ClientURLs;  // non-empty URLs per client index
    TRunStats LastStats;
    int64_t LastBytes = 0;
    bool Finished = false;
    int FinishedCount = 0;
    int LogClears = 0;
    int CredentialQuestions = 0;
    int SelectionQuestions = 0;
    std::vector<std::string> Realms;

    // What the window answers; unset: cancel / select nothing.
    std::function<bool(TAuthRec&)> OnCredentials;
    std::function<void(TDownloadProject&, TDownloadLink&)> OnSelectLinks;
    std::function<bool(TDownloadProject&)> OnSelectStructure;
    // Called for every log line (a test may act on the run from there).
    std::function<void(const std::string&)> OnLog;

    bool Logged(const std::string& part) const;
    int LogCount(const std::string& part) const;
    bool ErrorLogged(const std::string& part) const;

    void RunLog(const std::string& line) override;
    void ClearLog() override { ++LogClears; }
    void RunError(const std::string& line) override { Errors.push_back(line); }
    void ClientStatus(int, const std::string&) override {}
    void ClientURL(int clientIndex, const std::string& url) override;
    void ClientSize(int, int64_t) override {}
    void ClientProgress(int, int) override {}
    void RunRate(int32_t) override {}
    void RunStatus(const std::string& text) override { Statuses.push_back(text); }
    void RunStats(const TRunStats& stats) override { LastStats = stats; }
    void RunBytes(int64_t bytes) override { LastBytes = bytes; }
    void RunStateChanged(TRunState state) override { States.push_back(state); }
    void RunEnding() override {}
    void ShutdownProgress(int, const std::string&) override {}
    void RunFinished() override;
    void SelectLinks(TDownloadProject& project, TDownloadLink& page) override;
    bool AskCredentials(TAuthRec& request) override;
    bool SelectStructure(TDownloadProject& project) override;
};

class TRunHarness {
public:
    TRunHarness();
    ~TRunHarness();

    // A directory of the test's own, removed afterwards.
    const std::string& Dir() const { return FDir; }
    // Where the project's files go, and the data file "project.dat".
    std::string TargetDir() const { return FDir + "/site/"; }
    std::string DataFile() const { return FDir + "/projects/project.dat"; }

    TDownloadProject Project;
    TProgramSettings Settings;
    TStructureList Structure;
    TRecordingWindow Window;
    int Clients = 1;
    bool TimeOutEnabled = true;
    int TimeOutMs = 3000;
    int Tries = 3;
    // The run's plugins, or none.
    TPluginSystem* Plugins = nullptr;
    // A proxy for every request of the run ("host", "port"), or none.
    std::string ProxyHost, ProxyPort;
    // The low-speed limit in finer units than the settings (-1: the settings').
    int64_t LowSpeedBytes = -1;
    uint32_t LowSpeedMs = 0;
    // After WaitFinished: the error the run stopped on, if it stopped on one.
    std::string FatalError;

    // Creates and resumes the run.
    TDownloadThread& Start();
    TDownloadThread* Run() { return FRun.get(); }
    // Pumps until the run has said that it finished (false when the reaper
    // fired first), then waits for its thread and frees it.
    bool WaitFinished(uint32_t reaperMs = 20000);
    // Start and WaitFinished.
    bool RunToEnd(uint32_t reaperMs = 20000);
    // Pumps until the condition holds or the reaper fires.
    bool PumpUntil(const std::function<bool()>& done, uint32_t reaperMs = 10000);
    void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0,
              std::unique_ptr<TPayload> payload = nullptr);

    // The link data the run saved, read into a project of its own.
    std::unique_ptr<TDownloadProject> SavedLinks() const;
    // The link of that project with this full URL, or null.
    static TDownloadLink* LinkOf(TDownloadProject& project, const std::string& url);

    // The start server's directory below the target directory, relative to
    // it: "127.0.0.1+<port>/" for a test server.
    std::string HostDir() const;
    // The host path of a file below the target directory; a leading
    // "127.0.0.1/" stands for HostDir(), whatever the server's port.
    std::string HostPath(const std::string& relative) const;
    // A file below the target directory (relative as for HostPath).
    std::string FileText(const std::string& relative) const;
    bool FileThere(const std::string& relative) const;
    // Every file below the test directory, relative to it.
    std::vector<std::string> AllFiles() const;

private:
    std::string FDir;
    std::unique_ptr<TMainWindowTarget> FTarget;
    std::unique_ptr<TDownloadThread> FRun;
};

// A test with a site and a run of it.
class TSiteRunTest : public ::testing::Test {
protected:
    // The start page "/" with this HTML; the project starts there.
    void Home(const std::string& html);
    TSiteServer site;
    TRunHarness run;
};

} // namespace vorlin::test
