// The main window and connection control: the control reaches the queue,
// the run and the log through TConnectionHost; the real service is
// NetworkManager on the system bus.
#include "app/HttpGetForm.h"

#include "app/QtDesktopDialogs.h"
#include "app/WindowConnectionHost.h"
#include "app/connection/ConnectionControl.h"
#include "app/connection/NetworkManagerService.h"

#include <QDBusConnection>

namespace vorlin::app {

void THttpGetForm::CreateConnectionControl() {
    std::unique_ptr<IConnectionService> service;
    if (FOptions.ConnectionService)
        service = FOptions.ConnectionService();
    else
        service = std::make_unique<TNetworkManagerService>([] { return QDBusConnection::systemBus(); });
    FConnectionHost = std::make_unique<TConnectionHost>(*this);
    FConnection = new TConnectionControl(*FConnectionHost, std::move(service), this);
    connect(FConnection, &TConnectionControl::ConnectionChanged, this, [this] { UpdateActions(); });
    // The settings dialog offers the profiles as last listed and lists them afresh.
    if (auto* dialogs = dynamic_cast<TQtDesktopDialogs*>(FDialogs)) {
        dialogs->FillOffers = [this](TSettingsOffers& offers) {
            offers.PhoneBookEntries = FConnection->PhoneBookEntries();
            offers.RefreshPhoneBook = [this](std::function<void(const std::vector<std::string>&)> done) {
                FConnection->RefreshEntries(std::move(done));
            };
        };
    }
}

} // namespace vorlin::app
