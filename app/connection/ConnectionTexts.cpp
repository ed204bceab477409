#include "app/connection/ConnectionTexts.h"

#include "app/texts/Texts.h"

#include <mutex>

namespace vorlin::app {

void AddConnectionTexts() {
    static std::once_flag once;
    std::call_once(once, [] {
        AddBuiltinTexts({
            {ctFirstState + 0, "Opening Serial Port"},
            {ctFirstState + 1, "Serial Port Opened"},
            {ctFirstState + 2, "Connecting/Dialling"},
            {ctFirstState + 3, "Connected/Answered"},
            {ctFirstState + 4, "Connected/Negotiation"},
            {ctFirstState + 5, "Validating User and Password"},
            {ctFirstState + 6, "Authentication Notification"},
            {ctFirstState + 7, "Authentication Call Back"},
            {ctFirstState + 8, "Projection Started"},
            {ctFirstState + 9, "Calculating Link speed"},
            {ctFirstState + 10, "Authentication acknowledged"},
            {ctFirstState + 11, "Reauthenticating"},
            {ctFirstState + 12, "Login Authenticated"},
            {ctFirstState + 13, "Preparing for Callback"},
            {ctFirstState + 14, "Waiting for Modem Reset"},
            {ctFirstState + 15, "Waiting for Callback"},
            {ctFirstState + 16, "Projection Completion"},
            {ctFirstState + 17, "Start Authentication"},
            {ctFirstState + 18, "Callback Complete"},
            {ctFirstState + 19, "Logon to Network"},
            {ctFirstState + 20, "Connected/Online"},
            {ctFirstState + 21, "Disconnected/Offline"},
            {ctUnknownState, "Unknown State - "},
            {ctServiceMissing, "NetworkManager Not Available"},
            {ctLineDropped, "Verbindungsabbruch entdeckt, wähle neu"},
            {ctNoConnectProgram, "Das Verbindungsprogramm %s konnte nicht gestartet werden."},
            {ctNoDisconnectProgram, "Das Trennprogramm %s konnte nicht gestartet werden."},
            {ctNoWindowToClose, "Es gibt kein Fenster \"%s\" zum Schließen."},
            {ctCanNotCloseWindows, "Diese Arbeitsfläche lässt kein Programm das Fenster \"%s\" eines anderen "
                                   "schließen; bitte selbst schließen."},
            {ctAttached, "Bestehende Verbindung %s wird benutzt"},
            {ctDialling, "Wähle %s"},
            {ctHangingUp, "Lege auf: %s"},
            // Controls: caption, hint.
            {tgMenuDialUp, "Dail-Up"},
            {tgDial, "DFÜ-Verbindung herstellen"},
            {tgDial + 1, "Stellt die eingestellte Internetverbindung her"},
            {tgHangUp, "Auflegen"},
            {tgHangUp + 1, "Trennt die vom Programm hergestellte Verbindung"},
            {tgHangUpWhenDone, "Auflegen wenn fertig"},
            {tgHangUpWhenDone + 1, "Trennt die Verbindung, wenn die Warteschlange abgearbeitet ist"},
            {tgRedialOnLoss, "Neu verbinden bei Verbindungsabbruch"},
            {tgRedialOnLoss + 1, "Wählt neu und setzt den Download fort, wenn die Verbindung abbricht"},
        });
    });
}

std::string ConnectionText(int number, const std::string& argument) {
    std::string text = Text(number);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

} // namespace vorlin::app
