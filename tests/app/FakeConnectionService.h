// A connection service that answers from memory, one loop pass later, as
// the real one does: profiles, active connections, dialling that comes up
// (or not), hanging up, a line that drops, a service that is missing.
#pragma once

#include "app/connection/ConnectionService.h"

#include <QObject>
#include <QTimer>
#include <algorithm>

namespace vorlin::test {

class TFakeConnectionService : public app::IConnectionService {
public:
    std::vector<std::string> Entries;
    std::vector<app::TActiveConnection> Active;
    std::vector<app::TDialRequest> Dials;
    std::vector<std::string> HangUps;
    bool Missing = false;       // every call answers 1157
    bool ComesUp = true;        // a dialled line reaches "connected"
    int NextHandle = 1;

    void ListEntries(TEntriesDone done) override {
        Later([this, done] { done(Error(), Missing ? std::vector<std::string>() : Entries); });
    }
    void ListActive(TActiveDone done) override {
        Later([this, done] { done(Error(), Missing ? std::vector<app::TActiveConnection>() : Active); });
    }
    void Dial(const app::TDialRequest& request, TDialStarted started) override {
        Dials.push_back(request);
        Later([this, request, started] {
            if (Missing) return started(Error(), {});
            if (std::find(Entries.begin(), Entries.end(), request.Entry) == Entries.end())
                return started({app::kErrorUnknownEntry, "no profile " + request.Entry}, {});
            const std::string handle = "/active/" + std::to_string(NextHandle++);
            Active.push_back({request.Entry, handle});
            started({}, handle);
            State(handle, app::TConnectState::csConnectDevice);
            if (ComesUp) Later([this, handle] { State(handle, app::TConnectState::csConnected); });
        });
    }
    void Watch(const std::string&) override {}
    void HangUp(const std::string& handle, TDone closed) override {
        HangUps.push_back(handle);
        Later([this, handle, closed] {
            Remove(handle);
            State(handle, app::TConnectState::csDisconnected);
            closed({});
        });
    }

    // The line of this entry drops (the service says so, as NetworkManager does).
    void Drop(const std::string& entry) {
        for (const app::TActiveConnection& connection : Active)
            if (connection.Name == entry) {
                const std::string handle = connection.Handle;
                Remove(handle);
                State(handle, app::TConnectState::csDisconnected, {app::kErrorReasonBase + 3, "The device was disconnected"});
                return;
            }
    }

private:
    app::TServiceError Error() const {
        return Missing ? app::TServiceError{app::kErrorServiceMissing, "org.freedesktop.NetworkManager was not provided"}
                       : app::TServiceError{};
    }
    void State(const std::string& handle, app::TConnectState state, const app::TServiceError& error = {}) {
        if (OnState) OnState(handle, state, error);
    }
    void Remove(const std::string& handle) {
        Active.erase(std::remove_if(Active.begin(), Active.end(),
                                    [&](const app::TActiveConnection& c) { return c.Handle == handle; }),
                     Active.end());
    }
    void Later(std::function<void()> answer) { QTimer::singleShot(0, &FContext, std::move(answer)); }

    QObject FContext;  // answers die with the service
};

} // namespace vorlin::test
