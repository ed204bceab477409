// TProgUpdater: finds out whether a newer version of the program exists,
// downloads its package and starts the patcher; after the patcher has
// restarted the program, installs the patcher's own new copy. Runs on the
// main thread; every transfer goes through the one THttpCli of the
// download dialog (TUpdateDownload), whose events arrive through the
// thread's message queue.
//
// Nothing from the network is trusted: the description and the package
// must each carry a detached signature of the makers' key installed beside
// the program, the new version must be newer than the running one, and the
// package name must stay in the update folder. A file that fails is
// deleted and the reason reported; the patcher is never started for it.
#pragma once

#include "update/UpdateDescription.h"
#include "update/UpdateDownload.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin::update {

// The version the build gives the program.
std::string ProgramVersion();

class TProgUpdater {
public:
    // programDir: the folder of the program's executable (patcher, key and
    // update folder live there), ending in "/"; runningProgram: the full
    // path of the running executable, handed to the patcher.
    TProgUpdater(std::string programDir, std::string runningProgram);
    ~TProgUpdater();

    std::string UpdateFile;      // "httpvorl32ge-<Version>.upd"
    std::string UpdateHost;      // base URL of the update server, ending in "/"
    std::string Version;         // the running version
    std::string UpdatePath = "Updates/";
    std::string Updater = "updater";

    // An update exists: Download starts true; the answer decides whether
    // DownloadUpdate runs.
    std::function<void(const std::string& newVersion, const std::string& changes, bool& download, bool silent)>
        OnUpdateFound;
    std::function<void(bool& update)> OnDownloaded;
    std::function<void()> OnFinished;
    // A refusal or failure with its message (silent: from a silent check).
    std::function<void(const std::string& message, bool silent)> OnError;

    void SetProxy(bool use, const std::string& host, const std::string& port, const std::string& user,
                  const std::string& password);

    bool CheckForUpdate(bool interactive);
    bool DownloadUpdate();
    void FinishUpdate();

    const TUpdateFile& Description() const { return FDescription; }
    std::string UpdateFolder() const { return FProgramDir + UpdatePath; }

    // --- Seams of the program and the tests -----------------------------------
    // Shows the download dialog (null: transfers run hidden).
    IUpdateDialogHost* DialogHost = nullptr;
    // Serves the thread's messages once, waiting a little for them.
    std::function<void()> PumpMessages;
    // Starts a program detached.
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)> StartProgram;
    // Handed to the patcher, which restarts the program with them after
    // "afterupdate" (the program's --home), so the user keeps their home.
    std::vector<std::string> RestartArguments;
    // How long a hidden transfer may take.
    int SilentTimeoutMs = 15000;
    // Bound on renaming the running patcher to ".bak" in FinishUpdate.
    int BakRenameTries = 50;
    int BakRetryPauseMs = 100;

private:
    void ReadLocalDescription();
    bool Fetch(const std::string& name, bool interactive, const std::string& what);
    bool FetchHidden(THttpCli& client);
    bool VerifyFile(const std::string& path, const std::string& what, bool silent);
    void PrepareClient(THttpCli& client);
    void StartPatcher();
    void Report(const std::string& message, bool silent);
    TUpdateDownload& Download();

    std::string FProgramDir, FRunningProgram;
    bool FUseProxy = false;
    std::string FProxyHost, FProxyPort, FProxyUser, FProxyPassword;
    int FNesting = 0;
    std::unique_ptr<TUpdateDownload> FDownload;
    TUpdateFile FDescription;
};

} // namespace vorlin::update
