#include "update/ProgUpdater.h"

#include "platform/FileSystem.h"
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/Shell.h"
#include "platform/Stream.h"
#include "platform/Ticks.h"
#include "updater/UpdateErrors.h"
#include "updater/UpdateSignature.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace vorlin::update {

namespace {

constexpr const char* kPatcherWindowClass = "AR_UPDATERCLASS";
constexpr const char* kPartSuffix = ".part";
// A description or signature bigger than this is not one.
constexpr int64_t kMaxSmallFile = 1 << 20;

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Counts the running checks; the dialog goes with the outermost.
class TNesting {
public:
    TNesting(int& counter, const std::function<void()>& atZero) : FCounter(counter), FAtZero(atZero) { ++FCounter; }
    ~TNesting() {
        if (--FCounter == 0) FAtZero();
    }

private:
    int& FCounter;
    std::function<void()> FAtZero;
};

} // namespace

std::string ProgramVersion() { return VORLIN_VERSION; }

TProgUpdater::TProgUpdater(std::string programDir, std::string runningProgram)
    : UpdateFile("httpvorl32ge-" + ProgramVersion() + ".upd"),
      Version(ProgramVersion()),
      FProgramDir(IncludeTrailingSlash(std::move(programDir))),
      FRunningProgram(std::move(runningProgram)) {
    PumpMessages = [] {
        WaitMessage(20);
        ProcessPendingMessages();
    };
    StartProgram = [](const std::string& program, const std::vector<std::string>& arguments) {
        return StartDetached(program, arguments);
    };
}

TProgUpdater::~TProgUpdater() = default;

void TProgUpdater::SetProxy(bool use, const std::string& host, const std::string& port, const std::string& user,
                            const std::string& password) {
    FUseProxy = use;
    FProxyHost = host;
    FProxyPort = port;
    FProxyUser = user;
    FProxyPassword = password;
}

TUpdateDownload& TProgUpdater::Download() {
    if (!FDownload) FDownload = std::make_unique<TUpdateDownload>();
    return *FDownload;
}

void TProgUpdater::Report(const std::string& message, bool silent) {
    if (OnError) OnError(message, silent);
}

void TProgUpdater::PrepareClient(THttpCli& client) {
    if (!FUseProxy) return;
    client.Proxy = FProxyHost;
    client.ProxyPort = FProxyPort;
    client.ProxyUsername = FProxyUser;
    client.ProxyPassword = FProxyPassword;
}

bool TProgUpdater::VerifyFile(const std::string& path, const std::string& what, bool silent) {
    try {
        updater::VerifyDetached(ReadFileBytes(path), path + updater::kSignatureSuffix,
                                FProgramDir + updater::kPublicKeyFile, what);
        return true;
    } catch (const std::exception& e) {
        if (!silent) Report(e.what(), false);
        return false;
    }
}

// The description in the update folder counts only with a valid signature,
// a newer version and a package name that stays in the folder.
void TProgUpdater::ReadLocalDescription() {
    FDescription = {};
    const std::string path = UpdateFolder() + UpdateFile;
    if (!FileExists(path) || FileSizeOf(path) > kMaxSmallFile) return;
    if (!VerifyFile(path, "The update description", true)) return;
    FDescription = ParseUpdateDescription(ReadFileBytes(path));
    if (CompareVersions(FDescription.NewVersion, Version) <= 0 || !IsPlainFileName(FDescription.DatFile))
        FDescription.UpdateExists = false;
}

bool TProgUpdater::FetchHidden(THttpCli& client) {
    const uint32_t started = GetTickCount();
    while (client.State() != THttpCliState::hcIdle && GetTickCount() - started < static_cast<uint32_t>(SilentTimeoutMs))
        PumpMessages();
    // A transfer that outlasts its time is given up: its file is deleted.
    if (client.State() != THttpCliState::hcIdle) client.Abort();
    PumpMessages();
    return client.StatusCode() == 200 &&
           (client.ContentLength() < 0 || client.ReceivedCount() == client.ContentLength());
}

// Fetches name and name + ".sig" from the update server into the update
// folder. Both arrive under temporary names and are renamed only when the
// transfer was whole and the signature verifies.
bool TProgUpdater::Fetch(const std::string& name, bool interactive, const std::string& what) {
    const std::string path = UpdateFolder() + name, part = path + kPartSuffix;
    const std::string signature = path + updater::kSignatureSuffix, signaturePart = signature + kPartSuffix;
    const auto discard = [&] {
        DeleteFile(part);
        DeleteFile(signaturePart);
    };
    ForceDirectories(UpdateFolder());
    bool whole = false;
    {
        TUpdateDownload& download = Download();
        TFileStream file(part, fmCreate);
        download.Reset();
        download.Client.URL = UpdateHost + name;
        PrepareClient(download.Client);
        download.Client.ReceiveStream = &file;
        download.Client.Get();
        if (interactive && DialogHost) {
            whole = DialogHost->ShowModal(download);
            if (download.Client.State() != THttpCliState::hcIdle) download.Client.Abort();
            whole = whole && download.Client.StatusCode() == 200 &&
                    (download.Client.ContentLength() < 0 ||
                     download.Client.ReceivedCount() == download.Client.ContentLength());
        } else {
            whole = FetchHidden(download.Client);
        }
        download.Client.ReceiveStream = nullptr;
    }
    if (whole) {
        THttpCli client;
        TFileStream file(signaturePart, fmCreate);
        client.URL = UpdateHost + name + updater::kSignatureSuffix;
        PrepareClient(client);
        client.ReceiveStream = &file;
        client.Get();
        whole = FetchHidden(client);
        client.ReceiveStream = nullptr;
        if (!whole) {
            discard();
            Report(what + " is not signed: " + client.URL + " could not be fetched", !interactive);
            return false;
        }
    }
    if (!whole) {
        discard();
        return false;
    }
    try {
        updater::VerifyDetached(ReadFileBytes(part), signaturePart, FProgramDir + updater::kPublicKeyFile, what);
    } catch (const std::exception& e) {
        discard();
        Report(std::string(e.what()) + "; it was deleted", !interactive);
        return false;
    }
    if (!RenameFile(signaturePart, signature) || !RenameFile(part, path)) {
        discard();
        Report("Can't store " + path, !interactive);
        return false;
    }
    return true;
}

bool TProgUpdater::CheckForUpdate(bool interactive) {
    TNesting nesting(FNesting, [this] {
        FDownload.reset();
        ReadLocalDescription();
    });
    bool result = false;
    try {
        ReadLocalDescription();
        if (!FDescription.UpdateExists) {
            if (Fetch(UpdateFile, interactive, "The update description")) {
                const TUpdateFile offered = ParseUpdateDescription(ReadFileBytes(UpdateFolder() + UpdateFile));
                ReadLocalDescription();
                if (offered.UpdateExists && !FDescription.UpdateExists) {
                    if (!IsPlainFileName(offered.DatFile))
                        Report("The update description names a package outside the update folder (\"" +
                                   offered.DatFile + "\"); it is not downloaded",
                               !interactive);
                    else
                        Report("The update server offers version " + offered.NewVersion +
                                   ", which is not newer than the running version " + Version +
                                   "; it is not installed",
                               !interactive);
                }
            }
        }
        result = FDescription.UpdateExists;
        if (result && OnUpdateFound) {
            bool download = true;
            OnUpdateFound(FDescription.NewVersion, FDescription.Changes, download, !interactive);
            if (download) DownloadUpdate();
        }
    } catch (const std::exception& e) {
        Report(e.what(), !interactive);
    }
    return result;
}

bool TProgUpdater::DownloadUpdate() {
    TNesting nesting(FNesting, [this] { FDownload.reset(); });
    bool result = false;
    try {
        ReadLocalDescription();
        if (!FDescription.UpdateExists) return false;
        const std::string package = UpdateFolder() + FDescription.DatFile;
        // A package already here is used again only while its signature holds.
        bool ready = FileExists(package) && VerifyFile(package, "The update package", true);
        if (!ready) ready = Fetch(FDescription.DatFile, true, "The update package");
        if (ready) {
            result = true;
            bool update = true;
            if (OnDownloaded) OnDownloaded(update);
            if (update) StartPatcher();
        }
        ReadLocalDescription();
    } catch (const std::exception& e) {
        Report(e.what(), false);
    }
    return result;
}

void TProgUpdater::StartPatcher() {
    const std::string patcher = FProgramDir + Updater;
    const std::string package = UpdateFolder() + FDescription.DatFile;
    if (!FileExists(patcher)) {
        Report("The update patcher " + patcher + " is missing; the update can't be installed", false);
        return;
    }
    std::vector<std::string> arguments = {FRunningProgram, package};
    arguments.insert(arguments.end(), RestartArguments.begin(), RestartArguments.end());
    if (!StartProgram(patcher, arguments))
        Report("The update patcher " + patcher + " could not be started", false);
}

void TProgUpdater::FinishUpdate() {
    ReadLocalDescription();
    if (TRemoteWindow window = FindWindowByClass(kPatcherWindowClass)) PostRemoteMessage(window, WM_CLOSE);
    const std::string patcher = FProgramDir + Updater;
    if (FileExists(patcher + ".new")) {
        DeleteFile(patcher + ".bak");
        bool moved = !FileExists(patcher);
        for (int attempt = 0; !moved && attempt < BakRenameTries; ++attempt) {
            moved = RenameFile(patcher, patcher + ".bak");
            if (!moved) {
                PumpMessages();
                std::this_thread::sleep_for(std::chrono::milliseconds(BakRetryPauseMs));
            }
        }
        if (!moved || !RenameFile(patcher + ".new", patcher))
            Report("The new update patcher could not be put in place (" + patcher + ".new)", false);
    }
    // The applied update is done with: its description and package go, so
    // the folder keeps no stale offer.
    const std::string description = UpdateFolder() + UpdateFile;
    if (FileExists(description) && FileSizeOf(description) <= kMaxSmallFile) {
        const TUpdateFile applied = ParseUpdateDescription(ReadFileBytes(description));
        for (const std::string& name : {UpdateFile, applied.DatFile}) {
            if (!IsPlainFileName(name)) continue;
            DeleteFile(UpdateFolder() + name);
            DeleteFile(UpdateFolder() + name + updater::kSignatureSuffix);
        }
        FDescription = {};
    }
    if (OnFinished) OnFinished();
}

} // namespace vorlin::update
