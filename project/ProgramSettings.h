// The program-wide settings record, owned by the front end and copied into
// each download run. Persists in "HttpVorlin.ini" beside the program.
#pragma once

#include <cstdint>
#include <string>

namespace vorlin {

struct TProgramSettings {
    int32_t DefaultTemplate = 0;         // Template / Default
    bool FavStandard = true;             // Settings / bFavStandard
    bool FavOther = true;                // Settings / bFavOther
    bool LoadFavOnStartUp = true;        // Settings / bLoadFavOnStartUp
    bool BookmUserSelect = true;         // Settings / bBookmUserSelect
    bool BookmOther = true;              // Settings / bBookmOther
    bool LoadBookmOnStartUp = false;     // Settings / bLoadBookmOnStartUp
    bool ClipboardEnabled = true;        // ClipBoard / Enabled
    bool BookmNetscpDir = true;          // Settings / bBookmNetscpDir
    bool ProxyEnabled = false;           // Proxy / Proxy-Enabled
    bool TimeOutEnabled = true;          // TimeOut / TimeOut-Enabled
    uint8_t ClipboardType = 1;           // ClipBoard / Type
    std::string ProxyServer;             // Proxy / Proxy-Server
    std::string ProxyPort;               // Proxy / Proxy-Port
    std::string ProxyUserName;           // Proxy / Proxy-Username
    std::string ProxyPassword;           // Proxy / Proxy-PassWord (scrambled in the file)
    std::string BookmOtherFile;          // Settings / strBookmOther
    std::string FavOtherDir;             // Settings / strFavOther
    std::string SelectedUser;            // Settings / SelectedUser
    std::string DefaultDownloadDir;      // Advanced / DefaultDownloadDir
    std::string IdentifyAs;              // Advanced / IdentifyAs
    int16_t TimeOutLength = 20;          // TimeOut / TimeOut-Length (seconds)
    int16_t NumberOfTries = 3;           // TimeOut / Number Of Tries
    uint8_t ConnType = 0;                // Dial-Up / ConnType
    std::string DialUpUserName;          // Dial-Up / UserName
    std::string DialUpPassword;          // Dial-Up / PassWord (scrambled in the file)
    std::string DialUpEntry;             // Dial-Up / Entry
    std::string ConnScript;              // Dial-Up / ConnScript
    std::string DisConnScript;           // Dial-Up / DisConnScript
    std::string DisConnWndName;          // Dial-Up / DisConnWndName
    bool AlwaysUseDefaultDir = false;    // Advanced / AlwaysUseDefaultDir
    bool AutosaveEnabled = true;         // Advanced / AutosaveEnabled
    int32_t AutosaveMinutes = 10;        // Advanced / AutosaveMinutes

    // Kept outside the record in the same file.
    int32_t NumberOfThreads = 5;         // Settings / NumberOfThreads
    bool AutoCheckForUpdates = true;     // Settings / AutoCheckForUpdates
    bool EnableDocking = false;          // Docking / EnableDocking
    std::string Language = "English";    // Languages / Language

    // Our own additions, section Network.
    // A body that brings fewer than LowSpeedLimit bytes in LowSpeedTime
    // seconds ends like a time-out (0 in either: no limit). The default cuts
    // off a server that drips a byte a second, never an honest slow one.
    int32_t LowSpeedLimit = 1024;        // Network / LowSpeedLimit (bytes)
    int32_t LowSpeedTime = 60;           // Network / LowSpeedTime (seconds)
    bool CheckCertificates = true;       // Network / CheckCertificates
    std::string CaCertificates;          // Network / CaCertificates (a PEM file; empty: the system's only)
    bool KeepAlive = false;              // Network / KeepAlive (HTTP/1.1, persistent connections)

    // Our own additions, section Settings: the bookmarks of Firefox (its
    // "places.sqlite") and of Chromium or Chrome (their "Bookmarks" file),
    // from the selected profile or from a file named here.
    bool LoadFirefoxOnStartUp = true;    // Settings / bLoadFirefoxOnStartUp
    bool FirefoxOther = false;           // Settings / bFirefoxOther
    std::string FirefoxOtherFile;        // Settings / strFirefoxOther
    std::string FirefoxProfile;          // Settings / FirefoxProfile (empty: the browser's default)
    bool LoadChromiumOnStartUp = true;   // Settings / bLoadChromiumOnStartUp
    bool ChromiumOther = false;          // Settings / bChromiumOther
    std::string ChromiumOtherFile;       // Settings / strChromiumOther
    std::string ChromiumProfile;         // Settings / ChromiumProfile (empty: the first found)
};

} // namespace vorlin
