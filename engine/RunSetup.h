// What a front end hands a download run before it starts: the run copies
// this record at its start and reads nothing of the front end afterwards.
#pragma once

#include "platform/Messages.h"
#include "project/ProgramSettings.h"

#include <cstdint>
#include <string>

namespace vorlin {

class TDownloadProject;
class TPluginSystem;
class TStructureList;

struct TRunSetup {
    TProgramSettings Settings;           // a private copy
    TDownloadProject* Project = nullptr;  // borrowed for the run
    THandle MainWindow = 0;              // target of every posted message
    int ClientCount = 5;                 // connections 1..ClientCount
    std::string ProxyHost, ProxyPort, ProxyUser, ProxyPassword;  // empty: no proxy
    bool TimeOutEnabled = true;
    int TimeOutMs = 20000;               // silence before a try counts as timed out
    int NumberOfTries = 3;
    TStructureList* Structure = nullptr;  // borrowed; may be null
    std::string ProgramDirectory;         // where "passwords.lst" lives
    TPluginSystem* Plugins = nullptr;     // null: no plugins
    uint32_t RateMeterPeriodMs = 4100;
    // The low-speed limit: fewer than LowSpeedBytes of a body in LowSpeedMs
    // ends the request like a time-out; 0 in either switches it off. Taken
    // from the settings by TDownloadThread::SetSettings.
    int64_t LowSpeedBytes = 0;
    uint32_t LowSpeedMs = 0;
};

// The number of simultaneous downloads the main window offers.
constexpr int kMinClients = 1;
constexpr int kMaxClients = 32;

} // namespace vorlin
