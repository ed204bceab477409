// The inter-program calls: atoms, windows found by class or title, posted
// messages and WM_COPYDATA, each a lookup in the runtime directory followed
// by one exchange with the program that holds the name. The layout of the
// directory and the frames are in platform/README.md.
#include "platform/InterProcess.h"

#include "platform/FileSystem.h"
#include "platform/InterProcess_p.h"
#include "platform/StringUtils.h"

#include <chrono>
#include <thread>

#include <unistd.h>

namespace vorlin {

using namespace ipc;

namespace {

constexpr int kCloseProbeMs = 20;

// The pid after "a-<name>@" in an atom entry's file name, or 0.
pid_t AtomHolder(const std::string& entry, const std::string& prefix) {
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::string digits = entry.substr(prefix.size());
    if (digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    const long long pid = std::stoll(digits);
    return pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

TRemoteWindow ReadWindowEntry(const std::string& path) {
    char buffer[64];
    ssize_t n = readlink(path.c_str(), buffer, sizeof(buffer));
    return n > 0 ? ParseWindowEntryTarget(std::string_view(buffer, static_cast<size_t>(n))) : 0;
}

class TPublication final : public TPublishedWindow {
public:
    TPublication(std::shared_ptr<THost> host, TRemoteWindow window) : FHost(std::move(host)), FWindow(window) {}
    ~TPublication() override { FHost->RemoveWindow(FWindow); }
    TRemoteWindow Window() const override { return FWindow; }
    void SetTitle(const std::string& title) override { FHost->SetTitle(FWindow, title); }

private:
    std::shared_ptr<THost> FHost;
    TRemoteWindow FWindow;
};

} // namespace

bool AddGlobalAtom(const std::string& name) {
    std::shared_ptr<THost> host = THost::Get();
    return host && host->AddAtom(name);
}

void DeleteGlobalAtom(const std::string& name) {
    if (std::shared_ptr<THost> host = THost::Get()) host->RemoveAtom(name);
}

bool GlobalAtomExists(const std::string& name) {
    const std::string directory = UsableDirectory();
    if (directory.empty() || name.empty() || name.size() > kMaxName) return false;
    const std::string prefix = ExtractFileName(AtomEntryPrefix(directory, name));
    std::vector<pid_t> dead;
    for (const std::string& entry : ListDirectory(directory)) {
        const pid_t pid = AtomHolder(entry, prefix);
        if (pid == 0) continue;
        TReply reply;
        TExchange result = Exchange(ProcessSocketPath(directory, pid), TRequest{TOp::opHoldsAtom, name}, reply);
        if (result == TExchange::erOk && reply.Status == TStatus::stOk) return true;
        if (result == TExchange::erNoServer) dead.push_back(pid);
    }
    if (!dead.empty()) {
        // Entries of programs that died: removed under the lock, after
        // checking again that no program of that pid has started since.
        TDirectoryLock lock(directory);
        for (pid_t pid : dead) {
            TReply reply;
            if (Exchange(ProcessSocketPath(directory, pid), TRequest{TOp::opHello, {}}, reply) == TExchange::erNoServer)
                unlink((directory + "/" + prefix + std::to_string(pid)).c_str());
        }
    }
    return false;
}

uint32_t RegisterWindowMessage(const std::string& name) {
    if (name.empty()) return 0;
    uint32_t h = 2166136261u;
    for (unsigned char c : LowerCase(name)) h = (h ^ c) * 16777619u;
    return 0xC000u + (h % 0x4000u);
}

std::unique_ptr<TPublishedWindow> PublishWindow(const std::string& windowClass, THandle target,
                                                const std::string& title) {
    std::shared_ptr<THost> host = THost::Get();
    if (!host) return nullptr;
    TRemoteWindow window = host->AddWindow(target, windowClass, title);
    if (window == 0) return nullptr;
    return std::make_unique<TPublication>(std::move(host), window);
}

TRemoteWindow FindWindowByClass(const std::string& windowClass) {
    const std::string directory = UsableDirectory();
    if (directory.empty() || windowClass.empty()) return 0;
    TRemoteWindow window = ReadWindowEntry(WindowEntryPath(directory, windowClass));
    return QueryWindow(directory, window) ? window : 0;
}

TRemoteWindow FindWindowByTitle(const std::string& title) {
    const std::string directory = UsableDirectory();
    if (directory.empty()) return 0;
    for (const std::string& entry : ListDirectory(directory)) {
        if (entry.compare(0, 2, "w-") != 0) continue;
        TRemoteWindow window = ReadWindowEntry(directory + "/" + entry);
        std::string shown;
        if (window != 0 && QueryWindow(directory, window, &shown) && shown == title) return window;
    }
    return 0;
}

bool IsWindow(TRemoteWindow window) {
    const std::string directory = UsableDirectory();
    return !directory.empty() && QueryWindow(directory, window);
}

bool PostRemoteMessage(TRemoteWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const std::string directory = UsableDirectory();
    if (directory.empty() || window == 0) return false;
    TPostBody post{IdOf(window), message, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)};
    TReply reply;
    return Exchange(ProcessSocketPath(directory, ProcessOf(window)), TRequest{TOp::opPost, EncodePost(post)},
                    reply) == TExchange::erOk &&
           reply.Status == TStatus::stOk;
}

bool SendCopyData(TRemoteWindow window, TRemoteWindow sender, const TCopyData& data) {
    const std::string directory = UsableDirectory();
    if (directory.empty() || window == 0 || data.Bytes.size() > kMaxCopyData) return false;
    TCopyDataBody body{IdOf(window), sender, static_cast<uint64_t>(data.Tag),
                       std::string(data.Bytes.begin(), data.Bytes.end())};
    TReply reply;
    return Exchange(ProcessSocketPath(directory, ProcessOf(window)),
                    TRequest{TOp::opCopyData, EncodeCopyData(body)}, reply) == TExchange::erOk &&
           reply.Status == TStatus::stOk;
}

bool CloseWindowAndWait(TRemoteWindow window, int timeoutMs, const std::function<void()>& whileWaiting) {
    if (!PostRemoteMessage(window, WM_CLOSE)) return !IsWindow(window);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (!IsWindow(window)) return true;
        if (timeoutMs >= 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeoutMs))
            return false;
        if (whileWaiting) whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(kCloseProbeMs));
    }
}

} // namespace vorlin
