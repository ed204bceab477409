// A stand-in for platform/InterProcess.cpp while that file is not in the
// tree: the same calls, reaching only windows of this process. It lets the
// main window publish itself and answer scheduler messages in tests; the
// build drops it as soon as the real layer is there.
#include "platform/InterProcess.h"

#include "platform/MessageQueue.h"

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace vorlin {

namespace {

struct TRegistry {
    std::mutex Lock;
    std::string Directory;
    std::set<std::string> Atoms;
    struct TWindow {
        std::string Class, Title;
        THandle Target;
    };
    std::map<TRemoteWindow, TWindow> Windows;
    TRemoteWindow Next = 1;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

class TStandInWindow : public TPublishedWindow {
public:
    explicit TStandInWindow(TRemoteWindow window) : FWindow(window) {}
    ~TStandInWindow() override {
        std::lock_guard<std::mutex> guard(Registry().Lock);
        Registry().Windows.erase(FWindow);
    }
    TRemoteWindow Window() const override { return FWindow; }

private:
    TRemoteWindow FWindow;
};

THandle TargetOf(TRemoteWindow window) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    auto it = Registry().Windows.find(window);
    return it == Registry().Windows.end() ? 0 : it->second.Target;
}

} // namespace

std::string InterProcessDirectory() {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return Registry().Directory;
}

void SetInterProcessDirectoryForTests(const std::string& directory) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Directory = directory;
}

bool AddGlobalAtom(const std::string& name) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Atoms.insert(name);
    return true;
}

void DeleteGlobalAtom(const std::string& name) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    Registry().Atoms.erase(name);
}

bool GlobalAtomExists(const std::string& name) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    return Registry().Atoms.count(name) > 0;
}

uint32_t RegisterWindowMessage(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    return 0xC000 + hash % 0x4000;
}

std::unique_ptr<TPublishedWindow> PublishWindow(const std::string& windowClass, THandle target,
                                                const std::string& title) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    for (auto it = Registry().Windows.begin(); it != Registry().Windows.end(); ++it)
        if (it->second.Class == windowClass) return nullptr;
    const TRemoteWindow window = Registry().Next++;
    Registry().Windows[window] = {windowClass, title, target};
    return std::make_unique<TStandInWindow>(window);
}

TRemoteWindow FindWindowByClass(const std::string& windowClass) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    for (const auto& [window, entry] : Registry().Windows)
        if (entry.Class == windowClass) return window;
    return 0;
}

TRemoteWindow FindWindowByTitle(const std::string& title) {
    std::lock_guard<std::mutex> guard(Registry().Lock);
    for (const auto& [window, entry] : Registry().Windows)
        if (entry.Title == title) return window;
    return 0;
}

bool PostRemoteMessage(TRemoteWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const THandle target = TargetOf(window);
    return target && PostMessage(target, message, wParam, lParam);
}

bool SendCopyData(TRemoteWindow window, TRemoteWindow sender, const TCopyData& data) {
    const THandle target = TargetOf(window);
    return target && PostMessage(target, WM_COPYDATA, sender, 0, MakePayload(data));
}

bool CloseWindowAndWait(TRemoteWindow window, int timeoutMs) {
    if (!PostRemoteMessage(window, WM_CLOSE)) return TargetOf(window) == 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (TargetOf(window) != 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace vorlin
