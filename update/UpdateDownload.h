// What the "Update Download" dialog shows, without the dialog: the HTTP
// client every update transfer goes through, and the status, progress,
// size and button the client's events set. The Qt dialog (TfmUpdateDownload)
// and the tests watch it through OnChanged and close when OnClose fires.
#pragma once

#include "net/HttpCli.h"

#include <functional>
#include <string>

namespace vorlin::update {

// The status texts (numbers of the update checker's block).
enum TUpdateText : int {
    utConnecting = 400,    // "Verbinde mit Server"
    utConnected = 401,     // "Verbunden, warte auf Anwort"
    utHeader = 402,        // "Empfange Header"
    utReceiving = 403,     // "Empfange Datei"
    utDone = 404,          // "Fertig"
    utError = 405,         // "Fehler: "
};

class TUpdateDownload {
public:
    TUpdateDownload();

    THttpCli Client;
    // The status: one of the texts above, and for utError what follows it.
    int Status = utConnecting;
    std::string StatusDetail;
    int Progress = 0;
    std::string SizeText = "0 KB";
    bool ButtonIsOk = false;  // "&OK" once the request ended, "Ab&brechen" before
    bool CancelEnabled() const { return Client.State() != THttpCliState::hcIdle; }

    // Set when the transfer ended with status 200: the dialog closes by
    // itself (also when that happened before it was shown).
    bool EndedOk = false;

    // A new transfer starts: the status starts again.
    void Reset();
    // The one button: cancels a running transfer, else closes with OK.
    void ButtonClicked();

    std::function<void()> OnChanged;
    // The dialog closes: true for OK, false for Cancel.
    std::function<void(bool ok)> OnClose;

private:
    void Changed() { if (OnChanged) OnChanged(); }
    void Close(bool ok) { if (OnClose) OnClose(ok); }
};

// Shows the download dialog modally until it closes; true for OK.
class IUpdateDialogHost {
public:
    virtual ~IUpdateDialogHost() = default;
    virtual bool ShowModal(TUpdateDownload& download) = 0;
};

} // namespace vorlin::update
