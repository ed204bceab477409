#include "engine/RobotsFetch.h"

#include "engine/RobotsRules.h"

namespace vorlin {

TRobotsFetch::TRobotsFetch(std::string serverRoot, const std::function<void(THttpCli&)>& configure,
                           uint32_t timeOutMs, TDone done)
    : FServer(std::move(serverRoot)), FOnDone(std::move(done)) {
    configure(FClient);
    FClient.URL = FServer + "robots.txt";
    FClient.OnDocData = [this](THttpCli& client, const char* data, int len) {
        if (FCut || client.StatusCode() < 200 || client.StatusCode() > 299) return;
        FSilence.Restart();
        const size_t room = TRobotsRules::kMaxBytes - FText.size();
        FText.append(data, std::min(room, static_cast<size_t>(len)));
        if (FText.size() >= TRobotsRules::kMaxBytes) {
            FCut = true;
            client.Abort();
        }
    };
    FClient.OnLocationChange = [this](THttpCli&, bool& follow) { follow = ++FRedirects <= kMaxRedirects; };
    FClient.OnRequestDone = [this](THttpCli&, THttpRequest, uint16_t error) { RequestDone(error); };
    FSilence.SetEnabled(false);
    FSilence.SetInterval(timeOutMs);
    FSilence.OnTimer = [this](TTimer& timer) {
        timer.SetEnabled(false);
        FTimedOut = true;
        FClient.Abort();
    };
}

void TRobotsFetch::Start() {
    if (FSilence.Interval() > 0) FSilence.SetEnabled(true);
    try {
        FClient.Get();
    } catch (const std::exception& e) {
        FWhy = e.what();
        FSilence.SetEnabled(false);
        FDone = true;
        // Told through the loop all the same, as a finished request would be.
        FClient.OnRequestDone = nullptr;
        TTimer* later = &FSilence;
        later->OnTimer = [this](TTimer& timer) {
            timer.SetEnabled(false);
            if (FOnDone) FOnDone(*this);
        };
        later->SetInterval(1);
        later->SetEnabled(true);
    }
}

void TRobotsFetch::RequestDone(uint16_t error) {
    FSilence.SetEnabled(false);
    FDone = true;
    const int status = FClient.StatusCode();
    if (FCut || (error == 0 && status >= 200 && status <= 299)) {
        FOutcome = TRobotsOutcome::roFound;
    } else if (FTimedOut) {
        FWhy = "no answer in time";
    } else if (error == 0 && status >= 400 && status <= 499) {
        FOutcome = TRobotsOutcome::roMissing;
    } else if (FRedirects > kMaxRedirects) {
        FWhy = "more than " + std::to_string(kMaxRedirects) + " redirects";
    } else {
        FWhy = std::to_string(status) + " " + FClient.ReasonPhrase();
        if (!FClient.TransportFailure().empty()) FWhy = FClient.TransportFailure();
    }
    if (FOnDone) FOnDone(*this);
}

} // namespace vorlin
