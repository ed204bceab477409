// The options of `vorlin get` and `vorlin run`: parsed into what was given
// (nothing else is touched), then applied to the project and to the program
// settings, which both keep them for the next run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
struct TProgramSettings;
}

namespace vorlin::cli {

enum class TVerbosity { vbQuiet, vbNormal, vbVerbose };

// A limit given in the options: 0 switches it off.
struct TLimitOption {
    bool Used = false;
    int32_t Value = 0;
};

struct TRunOptions {
    std::string Home;
    bool Help = false;
    TVerbosity Verbosity = TVerbosity::vbNormal;
    bool Debug = false;             // internal warnings on the terminal (also with -v)
    std::string OutputFile;         // the log goes there instead of the terminal
    std::string InputFile;          // `get`: one address a line ("-": standard input)
    bool NewProject = false;        // `get`: a new project even when one has the address
    std::vector<std::string> Arguments;  // what is not an option, in order

    // Internal warnings ("Redirect: ...") are shown.
    bool ShowsDebugLog() const { return Debug || Verbosity == TVerbosity::vbVerbose; }

    // Project settings.
    std::optional<uint8_t> Mode, Scope, JavaScript;
    std::optional<TLimitOption> MaxDepth, MaxFiles, MaxFileSize, MinFileSize, MaxTotal, MinFree;
    std::optional<bool> FollowExternal, OutsideImages, Backgrounds, Reset;
    std::optional<TLimitOption> ExternalDepth;
    std::optional<std::vector<std::string>> ExcludeList;
    std::optional<std::string> User, Password;
    // How runs treat servers (stored beside the project file).
    std::optional<bool> ObeyRobots, RandomWait, KeepSessionCookies;
    std::optional<double> WaitSeconds;
    std::optional<int64_t> LimitRate;  // bytes per second; 0: none
    std::optional<std::string> LoadCookies, SaveCookies;

    // Program settings.
    std::optional<int> Connections;
    std::optional<bool> TimeOutEnabled;
    std::optional<int> TimeOutSeconds, Tries;
    std::optional<bool> ProxyEnabled;
    std::optional<std::string> ProxyServer, ProxyPort, ProxyUser, ProxyPassword;
    std::optional<std::string> UserAgent;
    std::optional<std::string> DownloadDir;
    std::optional<bool> AutosaveEnabled;
    std::optional<int> AutosaveMinutes;
    std::optional<int> LowSpeedLimit, LowSpeedTime;
    std::optional<bool> CheckCertificates, KeepAlive;
    std::optional<std::string> CaCertificates;
    std::optional<std::string> Language;

    void ApplyTo(TDownloadProject& project) const;
    // True when a program setting was given (the settings file is then written).
    bool ApplyTo(TProgramSettings& settings) const;
};

// Parses args into options; false with a message for the user on a bad
// option or value.
bool ParseRunOptions(const std::vector<std::string>& args, TRunOptions& options, std::string& error);

// "20k", "1.5m", "300": bytes per second (k and m count 1024 and 1024²).
bool ParseRate(const std::string& text, int64_t& bytesPerSecond);

// The option list for --help.
std::string RunOptionsHelp();

} // namespace vorlin::cli
