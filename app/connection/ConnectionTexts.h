// The texts of connection control: its messages (block 1500-1549: the
// connection state texts in state order, then the messages) and the tags of
// its controls (9000-9499, caption = tag, hint = tag + 1).
#pragma once

#include <string>

namespace vorlin::app {

enum TConnectionText : int {
    ctFirstState = 1500,       // 1500-1521: "Opening Serial Port" ... "Disconnected/Offline"
    ctUnknownState = 1522,     // "Unknown State - " + the number
    ctServiceMissing = 1523,   // the status when NetworkManager can't be reached
    ctLineDropped = 1524,      // "Verbindungsabbruch entdeckt, wähle neu"
    ctNoConnectProgram = 1525,     // the connect program could not be started: %s
    ctNoDisconnectProgram = 1526,  // the disconnect program could not be started: %s
    ctNoWindowToClose = 1527,      // no window titled %s
    ctCanNotCloseWindows = 1528,   // the desktop lets no program close another's window: %s
    ctAttached = 1529,             // "Verbunden mit %s (bestehende Verbindung)"
    ctDialling = 1530,             // "Wähle %s"
    ctHangingUp = 1531,            // "Lege auf: %s"
};

enum TConnectionTag : int {
    tgMenuDialUp = 9000,      // "Dail-Up"
    tgDial = 9002,            // "DFÜ-Verbindung herstellen"
    tgHangUp = 9004,          // "Auflegen"
    tgHangUpWhenDone = 9006,  // "Auflegen wenn fertig"
    tgRedialOnLoss = 9008,    // "Neu verbinden bei Verbindungsabbruch"
};

// Puts the built-in texts of connection control into the text table (once).
void AddConnectionTexts();
// Text number n with its "%s" replaced by the argument.
std::string ConnectionText(int number, const std::string& argument);

} // namespace vorlin::app
