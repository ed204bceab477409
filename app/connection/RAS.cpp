#include "app/connection/RAS.h"

#include "app/connection/ConnectionTexts.h"
#include "app/texts/Texts.h"

#include <algorithm>

namespace vorlin::app {

namespace {

constexpr int kStateCount = static_cast<int>(TConnectState::csDisconnected) + 1;

} // namespace

TRAS::TRAS(std::unique_ptr<IConnectionService> service) : FService(std::move(service)) {
    AddConnectionTexts();
    FService->OnState = [this](const std::string& handle, TConnectState state, const TServiceError& error) {
        StateEvent(handle, state, error);
    };
}

TRAS::~TRAS() {
    *FAlive = false;
    FService->OnState = nullptr;
}

std::string TRAS::StateText(int state) {
    if (state >= 0 && state < kStateCount) return Text(ctFirstState + state);
    return Text(ctUnknownState) + std::to_string(state);
}

void TRAS::SetStatus(TConnectState state, const TServiceError& error) {
    FConnectState = state;
    FLastError = error.Code;
    if (error.Code == kErrorServiceMissing)
        FStatusStr = Text(ctServiceMissing);
    else if (error)
        FStatusStr = error.Text;
    else
        FStatusStr = StateText(static_cast<int>(state));
    if (OnStateChanged) OnStateChanged();
}

void TRAS::ListEntries(std::function<void(const TServiceError&)> done) {
    std::weak_ptr<bool> alive = FAlive;
    FService->ListEntries([this, alive, done](const TServiceError& error, const std::vector<std::string>& entries) {
        if (alive.expired()) return;
        // More than fit are no error: the first ones are kept.
        FEntries.assign(entries.begin(), entries.begin() + std::min(entries.size(), kMaxEntries));
        if (error) FLastError = error.Code;
        if (done) done(error);
    });
}

void TRAS::ListConnections(std::function<void(const TServiceError&)> done) {
    std::weak_ptr<bool> alive = FAlive;
    FService->ListActive([this, alive, done](const TServiceError& error, const std::vector<TActiveConnection>& active) {
        if (alive.expired()) return;
        FConnections.assign(active.begin(), active.begin() + std::min(active.size(), kMaxConnections));
        if (error) FLastError = error.Code;
        if (done) done(error);
    });
}

std::string TRAS::ActiveHandleOf(const std::string& entry) const {
    for (const TActiveConnection& connection : FConnections)
        if (connection.Name == entry) return connection.Handle;
    return {};
}

void TRAS::Dial() {
    TDialRequest request;
    request.Entry = EntryName;
    request.WithCredentials = !UserName.empty() || !Password.empty();
    if (request.WithCredentials) {
        request.UserName = UserName;
        request.Password = Password;
    }
    FDialling = true;
    FHandle.clear();
    const unsigned serial = ++FDialSerial;
    std::weak_ptr<bool> alive = FAlive;
    FService->Dial(request, [this, alive, serial](const TServiceError& error, const std::string& handle) {
        if (alive.expired()) return;
        // Hung up (or dialled anew) before the service named this line: it goes down at once.
        if (serial != FDialSerial || !FDialling) {
            if (!error && !handle.empty()) FService->HangUp(handle, [](const TServiceError&) {});
            return;
        }
        if (error) {
            FDialling = false;
            SetStatus(TConnectState::csDisconnected, error);
            return;
        }
        FHandle = handle;
    });
}

void TRAS::Attach(const std::string& handle) {
    FHandle = handle;
    FDialling = false;
    FConnectState = TConnectState::csConnected;
    FService->Watch(handle);
}

void TRAS::HangUp(std::function<void()> closed) {
    ++FDialSerial;
    FHangingUp = true;
    FDialling = false;
    // The connection of the entry is looked up afresh: the line may have
    // come back under another handle since it was dialled.
    std::weak_ptr<bool> alive = FAlive;
    ListConnections([this, alive, closed](const TServiceError&) {
        if (alive.expired()) return;
        std::string handle = ActiveHandleOf(EntryName);
        if (handle.empty()) handle = FHandle;
        HangUpHandle(handle, closed);
    });
}

void TRAS::HangUpHandle(const std::string& handle, std::function<void()> closed) {
    std::weak_ptr<bool> alive = FAlive;
    auto finish = [this, alive, closed] {
        if (alive.expired()) return;
        FHangingUp = false;
        FHandle.clear();
        if (closed) closed();
    };
    if (handle.empty()) {
        finish();
        return;
    }
    FService->HangUp(handle, [this, alive, finish](const TServiceError& error) {
        if (alive.expired()) return;
        if (error) SetStatus(FConnectState, error);
        finish();
    });
}

void TRAS::StateEvent(const std::string& handle, TConnectState state, const TServiceError& error) {
    // Late events of a connection this component let go of say nothing.
    if (handle != FHandle || FHandle.empty()) return;
    if (state == TConnectState::csConnected || state == TConnectState::csDisconnected) FDialling = false;
    SetStatus(state, error);
    if (state == TConnectState::csConnected && !error && OnConnect) OnConnect();
}

} // namespace vorlin::app
