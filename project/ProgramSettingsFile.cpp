#include "project/ProgramSettingsFile.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "project/PasswordScrambler.h"
#include "project/ProgramSettings.h"

#include <algorithm>
#include <limits>

namespace vorlin {

namespace {

// The record's fields, one line each, so reading and writing can't drift apart.
template <typename TVisitor> void VisitFields(TProgramSettings& s, TVisitor&& v) {
    v.Integer("Template", "Default", s.DefaultTemplate);
    v.Bool("Settings", "bFavStandard", s.FavStandard);
    v.Bool("Settings", "bFavOther", s.FavOther);
    v.Bool("Settings", "bLoadFavOnStartUp", s.LoadFavOnStartUp);
    v.Bool("Settings", "bBookmUserSelect", s.BookmUserSelect);
    v.Bool("Settings", "bBookmOther", s.BookmOther);
    v.Bool("Settings", "bLoadBookmOnStartUp", s.LoadBookmOnStartUp);
    v.Bool("ClipBoard", "Enabled", s.ClipboardEnabled);
    v.Bool("Settings", "bBookmNetscpDir", s.BookmNetscpDir);
    v.Bool("Proxy", "Proxy-Enabled", s.ProxyEnabled);
    v.Bool("TimeOut", "TimeOut-Enabled", s.TimeOutEnabled);
    v.Enumeration("ClipBoard", "Type", s.ClipboardType, 2);
    v.String("Proxy", "Proxy-Server", s.ProxyServer);
    v.String("Proxy", "Proxy-Port", s.ProxyPort);
    v.String("Proxy", "Proxy-Username", s.ProxyUserName);
    v.Password("Proxy", "Proxy-PassWord", s.ProxyPassword);
    v.String("Settings", "strBookmOther", s.BookmOtherFile);
    v.String("Settings", "strFavOther", s.FavOtherDir);
    v.String("Settings", "SelectedUser", s.SelectedUser);
    v.String("Advanced", "DefaultDownloadDir", s.DefaultDownloadDir);
    v.String("Advanced", "IdentifyAs", s.IdentifyAs);
    v.Integer("TimeOut", "TimeOut-Length", s.TimeOutLength);
    v.Integer("TimeOut", "Number Of Tries", s.NumberOfTries);
    v.Enumeration("Dial-Up", "ConnType", s.ConnType, 2);
    v.String("Dial-Up", "UserName", s.DialUpUserName);
    v.Password("Dial-Up", "PassWord", s.DialUpPassword);
    v.String("Dial-Up", "Entry", s.DialUpEntry);
    v.String("Dial-Up", "ConnScript", s.ConnScript);
    v.String("Dial-Up", "DisConnScript", s.DisConnScript);
    v.String("Dial-Up", "DisConnWndName", s.DisConnWndName);
    v.Bool("Advanced", "AlwaysUseDefaultDir", s.AlwaysUseDefaultDir);
    v.Bool("Advanced", "AutosaveEnabled", s.AutosaveEnabled);
    v.Integer("Advanced", "AutosaveMinutes", s.AutosaveMinutes);
    v.Integer("Settings", "NumberOfThreads", s.NumberOfThreads);
    v.Bool("Settings", "AutoCheckForUpdates", s.AutoCheckForUpdates);
    v.Bool("Docking", "EnableDocking", s.EnableDocking);
    v.String("Languages", "Language", s.Language);
    v.Integer("Network", "LowSpeedLimit", s.LowSpeedLimit);
    v.Integer("Network", "LowSpeedTime", s.LowSpeedTime);
    v.Bool("Network", "CheckCertificates", s.CheckCertificates);
    v.String("Network", "CaCertificates", s.CaCertificates);
    v.Bool("Network", "KeepAlive", s.KeepAlive);
    v.Bool("Settings", "bLoadFirefoxOnStartUp", s.LoadFirefoxOnStartUp);
    v.Bool("Settings", "bFirefoxOther", s.FirefoxOther);
    v.String("Settings", "strFirefoxOther", s.FirefoxOtherFile);
    v.String("Settings", "FirefoxProfile", s.FirefoxProfile);
    v.Bool("Settings", "bLoadChromiumOnStartUp", s.LoadChromiumOnStartUp);
    v.Bool("Settings", "bChromiumOther", s.ChromiumOther);
    v.String("Settings", "strChromiumOther", s.ChromiumOtherFile);
    v.String("Settings", "ChromiumProfile", s.ChromiumProfile);
}

struct TReader {
    const TIniFile& Ini;
    void Bool(const char* section, const char* key, bool& field) { field = Ini.ReadBool(section, key, field); }
    void String(const char* section, const char* key, std::string& field) { field = Ini.ReadString(section, key, field); }
    template <typename T> void Integer(const char* section, const char* key, T& field) {
        int64_t value = Ini.ReadInteger(section, key, field);
        // A number the field can't hold keeps the default rather than wrapping.
        if (value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max())
            field = static_cast<T>(value);
    }
    // A mode the program doesn't know would leave no choice selected in the
    // settings dialog and no branch taken by its users: the default stands.
    void Enumeration(const char* section, const char* key, uint8_t& field, int64_t highest) {
        int64_t value = Ini.ReadInteger(section, key, field);
        if (value >= 0 && value <= highest) field = static_cast<uint8_t>(value);
    }
    void Password(const char* section, const char* key, std::string& field) {
        if (!Ini.ValueExists(section, key)) return;
        try {
            field = UnscramblePassword(Ini.ReadString(section, key, ""));
        } catch (const std::exception&) {
            // A damaged entry is as good as none.
            field.clear();
        }
    }
};

struct TWriter {
    TIniFile& Ini;
    void Bool(const char* section, const char* key, bool& field) { Ini.WriteBool(section, key, field); }
    void String(const char* section, const char* key, std::string& field) { Ini.WriteString(section, key, field); }
    template <typename T> void Integer(const char* section, const char* key, T& field) {
        Ini.WriteInteger(section, key, static_cast<int64_t>(field));
    }
    void Enumeration(const char* section, const char* key, uint8_t& field, int64_t) { Integer(section, key, field); }
    void Password(const char* section, const char* key, std::string& field) {
        Ini.WriteString(section, key, ScramblePassword(field));
    }
};

} // namespace

void ReadProgramSettings(const TIniFile& ini, TProgramSettings& settings) {
    settings = TProgramSettings();
    VisitFields(settings, TReader{ini});
}

void WriteProgramSettings(TIniFile& ini, const TProgramSettings& settings) {
    TProgramSettings copy = settings;
    VisitFields(copy, TWriter{ini});
}

void LoadProgramSettingsFile(const std::string& hostPath, TProgramSettings& settings) {
    TIniFile ini;
    ini.LoadFromFile(hostPath);
    ReadProgramSettings(ini, settings);
}

void SaveProgramSettingsFile(const std::string& hostPath, const TProgramSettings& settings) {
    TIniFile ini;
    ini.LoadFromFile(hostPath);
    WriteProgramSettings(ini, settings);
    // It holds the proxy and dial-up passwords.
    ini.SaveToFile(hostPath, kPrivateFileMode);
}

} // namespace vorlin
