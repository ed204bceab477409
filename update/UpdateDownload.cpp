#include "update/UpdateDownload.h"

#include <cmath>

namespace vorlin::update {

TUpdateDownload::TUpdateDownload() {
    Client.OnSessionConnected = [this](THttpCli&) {
        Status = utConnected;
        Changed();
    };
    Client.OnHeaderBegin = [this](THttpCli&) {
        Status = utHeader;
        Changed();
    };
    Client.OnDocBegin = [this](THttpCli& client) {
        Status = utReceiving;
        SizeText = std::to_string(std::llround(static_cast<double>(client.ContentLength()) / 1024.0)) + " KB";
        Changed();
    };
    Client.OnDocData = [this](THttpCli& client, const char*, int) {
        if (client.ContentLength() == 0) return;
        Progress = static_cast<int>(
            std::llround(static_cast<double>(client.ReceivedCount()) / static_cast<double>(client.ContentLength()) * 100));
        Changed();
    };
    Client.OnRequestDone = [this](THttpCli& client, THttpRequest, uint16_t error) {
        const bool done = client.StatusCode() == 200 && error == 0;
        if (done) {
            Status = utDone;
        } else if (error != 3) {
            Status = utError;
            StatusDetail = std::to_string(client.StatusCode()) + " " + client.ReasonPhrase();
        }
        ButtonIsOk = true;
        Changed();
        if (!done) return;
        EndedOk = true;
        Close(true);
    };
}

void TUpdateDownload::Reset() {
    EndedOk = false;
    Status = utConnecting;
    StatusDetail.clear();
    Progress = 0;
    SizeText = "0 KB";
    ButtonIsOk = false;
    Changed();
}

void TUpdateDownload::ButtonClicked() {
    if (CancelEnabled()) {
        Client.Abort();
        Close(false);
    } else {
        Close(true);
    }
}

} // namespace vorlin::update
