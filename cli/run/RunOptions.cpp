#include "cli/run/RunOptions.h"

#include "platform/ProgramHome.h"
#include "engine/RunSetup.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

namespace vorlin::cli {

namespace {

enum class TValueKind { vkNone, vkRequired, vkOptional };

using THandler = std::function<bool(TRunOptions&, const std::string& value, std::string& error)>;

struct TOptionEntry {
    char Short;            // 0: none
    const char* Long;
    TValueKind Kind;
    const char* ValueName;  // for the help
    const char* Help;
    THandler Handle;
};

bool ParseInteger(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

// A number in [low, high], or a message naming the option.
THandler Number(long long low, long long high, std::function<void(TRunOptions&, int)> store) {
    return [=](TRunOptions& o, const std::string& value, std::string& error) {
        long long n = 0;
        if (!ParseInteger(value, low, high, n)) {
            error = "expects a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                    ", not '" + value + "'";
            return false;
        }
        store(o, static_cast<int>(n));
        return true;
    };
}

// A limit: a number of 0 or more, 0 switching the limit off.
THandler Limit(std::optional<TLimitOption> TRunOptions::*field) {
    return Number(0, std::numeric_limits<int32_t>::max(), [field](TRunOptions& o, int n) {
        o.*field = TLimitOption{n > 0, n};
    });
}

// One of a few words, stored as its index.
THandler Choice(std::vector<std::string> words, std::optional<uint8_t> TRunOptions::*field) {
    return [=](TRunOptions& o, const std::string& value, std::string& error) {
        for (size_t i = 0; i < words.size(); ++i) {
            if (words[i] != value) continue;
            o.*field = static_cast<uint8_t>(i);
            return true;
        }
        error = "expects one of";
        for (const std::string& w : words) error += " " + w;
        error += ", not '" + value + "'";
        return false;
    };
}

THandler Flag(std::optional<bool> TRunOptions::*field, bool state) {
    return [=](TRunOptions& o, const std::string&, std::string&) {
        o.*field = state;
        return true;
    };
}

THandler Text(std::optional<std::string> TRunOptions::*field) {
    return [=](TRunOptions& o, const std::string& value, std::string&) {
        o.*field = value;
        return true;
    };
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string item = text.substr(start, comma - start);
        if (!item.empty()) items.push_back(item);
        start = comma + 1;
    }
    return items;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t start = text.find_first_not_of(' ');
    while (start != std::string::npos) {
        size_t end = text.find(' ', start);
        words.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(' ', end);
    }
    return words;
}

bool ParseDecimal(const std::string& text, double low, double high, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && value >= low && value <= high;
}

// A file named in the options is kept with its absolute path, so a later
// run from another directory finds it.
THandler FilePath(std::optional<std::string> TRunOptions::*field) {
    return [=](TRunOptions& o, const std::string& value, std::string&) {
        o.*field = value.empty() ? value : AbsolutePath(value);
        return true;
    };
}

bool ParseProxy(TRunOptions& o, const std::string& value, std::string& error) {
    size_t colon = value.rfind(':');
    long long port = 0;
    if (colon == std::string::npos || colon == 0 || !ParseInteger(value.substr(colon + 1), 1, 65535, port)) {
        error = "expects HOST:PORT with a port from 1 to 65535, not '" + value + "'";
        return false;
    }
    o.ProxyEnabled = true;
    o.ProxyServer = value.substr(0, colon);
    o.ProxyPort = value.substr(colon + 1);
    return true;
}

const std::vector<TOptionEntry>& OptionTable() {
    using K = TValueKind;
    static const std::vector<TOptionEntry> table = {
        {0, "home", K::vkRequired, "DIR", "program directory (Projects, passwords.lst, HttpVorlin.ini)",
         [](TRunOptions& o, const std::string& v, std::string&) { o.Home = v; return true; }},
        {'h', "help", K::vkNone, "", "show this help",
         [](TRunOptions& o, const std::string&, std::string&) { o.Help = true; return true; }},
        {'q', "quiet", K::vkNone, "", "print errors only",
         [](TRunOptions& o, const std::string&, std::string&) { o.Verbosity = TVerbosity::vbQuiet; return true; }},
        {'v', "verbose", K::vkNone, "",
         "also print each connection's status and URL, the files that did not change and internal warnings",
         [](TRunOptions& o, const std::string&, std::string&) { o.Verbosity = TVerbosity::vbVerbose; return true; }},
        {0, "debug", K::vkNone, "", "also print internal warnings (redirects, clashing names)",
         [](TRunOptions& o, const std::string&, std::string&) { o.Debug = true; return true; }},
        {'o', "output-file", K::vkRequired, "FILE", "write the log into FILE instead of the terminal",
         [](TRunOptions& o, const std::string& v, std::string&) { o.OutputFile = v; return true; }},
        {'i', "input-file", K::vkRequired, "FILE",
         "get: download the addresses in FILE (one a line, # comments; - reads standard input) one after another",
         [](TRunOptions& o, const std::string& v, std::string&) { o.InputFile = v; return true; }},
        {0, "new", K::vkNone, "", "get: make a new project even when one has this address",
         [](TRunOptions& o, const std::string&, std::string&) { o.NewProject = true; return true; }},
        // Project settings.
        {'m', "mode", K::vkRequired, "offline|mirror|structure|half",
         "offline browsing (links rewritten), mirror (byte for byte), show the structure, half-automatic",
         Choice({"offline", "mirror", "structure", "half"}, &TRunOptions::Mode)},
        {'s', "scope", K::vkRequired, "dir|server|domain", "stay in the start directory, on the server, in the domain",
         Choice({"dir", "server", "domain"}, &TRunOptions::Scope)},
        {'l', "max-depth", K::vkRequired, "N", "follow links up to depth N (0: no limit)", Limit(&TRunOptions::MaxDepth)},
        {0, "external", K::vkOptional, "N", "follow links to other servers (up to depth N; 0: no limit)",
         [](TRunOptions& o, const std::string& v, std::string& error) {
             o.FollowExternal = true;
             if (v.empty()) return true;
             return Limit(&TRunOptions::ExternalDepth)(o, v, error);
         }},
        {0, "no-external", K::vkNone, "", "don't follow links to other servers",
         Flag(&TRunOptions::FollowExternal, false)},
        {0, "outside-images", K::vkNone, "", "load images from outside the scope",
         Flag(&TRunOptions::OutsideImages, true)},
        {0, "no-outside-images", K::vkNone, "", "don't load images from outside the scope",
         Flag(&TRunOptions::OutsideImages, false)},
        {0, "backgrounds", K::vkNone, "", "load background images", Flag(&TRunOptions::Backgrounds, true)},
        {0, "no-backgrounds", K::vkNone, "", "don't load background images", Flag(&TRunOptions::Backgrounds, false)},
        {0, "max-files", K::vkRequired, "N", "download at most N files (0: no limit)", Limit(&TRunOptions::MaxFiles)},
        {0, "max-file-size", K::vkRequired, "KB", "skip files larger than KB (0: no limit)",
         Limit(&TRunOptions::MaxFileSize)},
        {0, "min-file-size", K::vkRequired, "KB", "skip files smaller than KB (0: no limit)",
         Limit(&TRunOptions::MinFileSize)},
        {0, "max-total", K::vkRequired, "KB", "stop after KB downloaded in one run (0: no limit)",
         Limit(&TRunOptions::MaxTotal)},
        {0, "min-free", K::vkRequired, "KB", "stop when the disk has less than KB free (0: no limit)",
         Limit(&TRunOptions::MinFree)},
        {'X', "exclude-ext", K::vkRequired, "LIST", "comma-separated extensions not to download (empty: none)",
         [](TRunOptions& o, const std::string& v, std::string&) { o.ExcludeList = SplitList(v); return true; }},
        {0, "js", K::vkRequired, "interpret|ignore|delete",
         "scan scripts for links, ignore them, or also drop them from stored pages",
         Choice({"interpret", "ignore", "delete"}, &TRunOptions::JavaScript)},
        {0, "reset", K::vkNone, "", "start each run afresh: delete the files and links of earlier runs",
         Flag(&TRunOptions::Reset, true)},
        {0, "no-reset", K::vkNone, "", "resume or update from earlier runs (the default)",
         Flag(&TRunOptions::Reset, false)},
        {0, "user", K::vkRequired, "U", "user name for the site", Text(&TRunOptions::User)},
        {0, "password", K::vkRequired, "P", "password for the site", Text(&TRunOptions::Password)},
        {0, "robots", K::vkNone, "", "obey robots.txt (the default)", Flag(&TRunOptions::ObeyRobots, true)},
        {0, "no-robots", K::vkNone, "", "ignore robots.txt: fetch what it refuses and don't ask for it",
         Flag(&TRunOptions::ObeyRobots, false)},
        {'w', "wait", K::vkRequired, "SECONDS",
         "wait SECONDS (fractions allowed) between two requests to one server; other servers go on "
         "(0: only robots.txt's Crawl-delay)",
         [](TRunOptions& o, const std::string& v, std::string& error) {
             double seconds = 0;
             if (!ParseDecimal(v, 0, 86400, seconds)) {
                 error = "expects seconds from 0 to 86400, not '" + v + "'";
                 return false;
             }
             o.WaitSeconds = seconds;
             return true;
         }},
        {0, "random-wait", K::vkNone, "", "wait 0.5 to 1.5 times the wait each time",
         Flag(&TRunOptions::RandomWait, true)},
        {0, "no-random-wait", K::vkNone, "", "wait exactly the wait (the default)", Flag(&TRunOptions::RandomWait, false)},
        {0, "limit-rate", K::vkRequired, "RATE",
         "read at most RATE bytes per second in the whole run; k and m suffixes (20k, 1.5m; 0: no limit)",
         [](TRunOptions& o, const std::string& v, std::string& error) {
             int64_t rate = 0;
             if (!ParseRate(v, rate)) {
                 error = "expects bytes per second such as 300, 20k or 1.5m, not '" + v + "'";
                 return false;
             }
             o.LimitRate = rate;
             return true;
         }},
        {0, "load-cookies", K::vkRequired, "FILE",
         "send the cookies of FILE, a Netscape cookies.txt exported from a browser (empty: none)",
         FilePath(&TRunOptions::LoadCookies)},
        {0, "save-cookies", K::vkRequired, "FILE", "write the cookies to FILE at the end of each run (empty: don't)",
         FilePath(&TRunOptions::SaveCookies)},
        {0, "keep-session-cookies", K::vkNone, "", "--save-cookies also writes the cookies that end with the session",
         Flag(&TRunOptions::KeepSessionCookies, true)},
        {0, "no-keep-session-cookies", K::vkNone, "", "--save-cookies writes lasting cookies only (the default)",
         Flag(&TRunOptions::KeepSessionCookies, false)},
        // Program settings.
        {'c', "connections", K::vkRequired, "N", "simultaneous downloads, 1-32 (default 5)",
         Number(kMinClients, kMaxClients, [](TRunOptions& o, int n) { o.Connections = n; })},
        {0, "timeout", K::vkRequired, "SECONDS", "give up a silent connection after SECONDS (default 20)",
         Number(1, 32767, [](TRunOptions& o, int n) {
             o.TimeOutEnabled = true;
             o.TimeOutSeconds = n;
         })},
        {0, "no-timeout", K::vkNone, "", "wait for silent connections forever", Flag(&TRunOptions::TimeOutEnabled, false)},
        {0, "tries", K::vkRequired, "N", "tries per file after time-outs, 1-100 (default 3)",
         Number(1, 100, [](TRunOptions& o, int n) { o.Tries = n; })},
        {0, "proxy", K::vkRequired, "HOST:PORT", "use this HTTP proxy", ParseProxy},
        {0, "no-proxy", K::vkNone, "", "don't use a proxy", Flag(&TRunOptions::ProxyEnabled, false)},
        {0, "proxy-user", K::vkRequired, "U", "user name for the proxy", Text(&TRunOptions::ProxyUser)},
        {0, "proxy-password", K::vkRequired, "P", "password for the proxy", Text(&TRunOptions::ProxyPassword)},
        {0, "user-agent", K::vkRequired, "TEXT", "identify as TEXT to servers", Text(&TRunOptions::UserAgent)},
        {0, "download-dir", K::vkRequired, "DIR", "where 'vorlin get' puts sites when no DIR is given (empty: ./HOST)",
         [](TRunOptions& o, const std::string& v, std::string&) {
             o.DownloadDir = v.empty() ? v : AbsolutePath(v);
             return true;
         }},
        {0, "autosave", K::vkRequired, "MINUTES", "save the link data every MINUTES during a run (default 10)",
         Number(0, std::numeric_limits<int32_t>::max(), [](TRunOptions& o, int n) {
             o.AutosaveEnabled = true;
             o.AutosaveMinutes = n;
         })},
        {0, "no-autosave", K::vkNone, "", "save the link data only at the end",
         Flag(&TRunOptions::AutosaveEnabled, false)},
        {0, "low-speed-limit", K::vkRequired, "BYTES",
         "give up a body that brings fewer than BYTES in the low-speed time, like a time-out (default 1024; 0: off)",
         Number(0, std::numeric_limits<int32_t>::max(), [](TRunOptions& o, int n) { o.LowSpeedLimit = n; })},
        {0, "low-speed-time", K::vkRequired, "SECONDS", "the period of the low-speed limit (default 60; 0: off)",
         Number(0, 86400, [](TRunOptions& o, int n) { o.LowSpeedTime = n; })},
        {0, "no-check-certificate", K::vkNone, "",
         "accept https servers whose certificate does not verify (expired, unknown issuer, other host)",
         Flag(&TRunOptions::CheckCertificates, false)},
        {0, "check-certificate", K::vkNone, "", "refuse https servers whose certificate does not verify (the default)",
         Flag(&TRunOptions::CheckCertificates, true)},
        {0, "ca-certificate", K::vkRequired, "FILE",
         "also trust the authorities in this PEM file (empty: the system's only)",
         [](TRunOptions& o, const std::string& v, std::string&) {
             o.CaCertificates = v.empty() ? v : AbsolutePath(v);
             return true;
         }},
        {0, "keep-alive", K::vkNone, "", "HTTP/1.1 with persistent connections: several files per connection",
         Flag(&TRunOptions::KeepAlive, true)},
        {0, "no-keep-alive", K::vkNone, "", "HTTP/1.0, one connection per file (the default)",
         Flag(&TRunOptions::KeepAlive, false)},
        {0, "language", K::vkRequired, "NAME",
         "show the run's texts in this language (NAME.mo of the languages folder; default English)",
         Text(&TRunOptions::Language)},
    };
    return table;
}

const TOptionEntry* FindLong(const std::string& name) {
    for (const TOptionEntry& entry : OptionTable())
        if (name == entry.Long) return &entry;
    return nullptr;
}

const TOptionEntry* FindShort(char name) {
    for (const TOptionEntry& entry : OptionTable())
        if (entry.Short && entry.Short == name) return &entry;
    return nullptr;
}

std::string Shown(const TOptionEntry& entry) {
    return std::string("--") + entry.Long;
}

} // namespace

bool ParseRate(const std::string& textIn, int64_t& bytesPerSecond) {
    std::string text = textIn;
    double unit = 1;
    if (!text.empty() && (text.back() == 'k' || text.back() == 'K')) unit = 1024;
    if (!text.empty() && (text.back() == 'm' || text.back() == 'M')) unit = 1024.0 * 1024;
    if (unit > 1) text.pop_back();
    double value = 0;
    // Up to 100 GB per second: far beyond any line, well within 64 bits.
    if (!ParseDecimal(text, 0, 100.0 * 1024 * 1024 * 1024 / unit, value)) return false;
    bytesPerSecond = static_cast<int64_t>(std::llround(value * unit));
    return true;
}

bool ParseRunOptions(const std::vector<std::string>& args, TRunOptions& options, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.Arguments.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const TOptionEntry* entry = nullptr;
        std::optional<std::string> inlineValue;
        if (arg[1] == '-') {
            std::string name = arg.substr(2);
            size_t equals = name.find('=');
            if (equals != std::string::npos) {
                inlineValue = name.substr(equals + 1);
                name.resize(equals);
            }
            entry = FindLong(name);
            if (!entry) {
                error = "unknown option '--" + name + "'";
                return false;
            }
        } else {
            entry = FindShort(arg[1]);
            if (!entry) {
                error = std::string("unknown option '-") + arg[1] + "'";
                return false;
            }
            if (arg.size() > 2) inlineValue = arg.substr(2);
        }
        std::string value;
        switch (entry->Kind) {
        case TValueKind::vkNone:
            if (inlineValue) {
                error = Shown(*entry) + " takes no value";
                return false;
            }
            break;
        case TValueKind::vkOptional:
            value = inlineValue.value_or("");
            break;
        case TValueKind::vkRequired:
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = Shown(*entry) + " needs a value (" + entry->ValueName + ")";
                return false;
            }
            break;
        }
        std::string why;
        if (!entry->Handle(options, value, why)) {
            error = Shown(*entry) + " " + why;
            return false;
        }
    }
    return true;
}

std::string RunOptionsHelp() {
    // The descriptions in a column, wrapped so that no line passes 79 characters.
    constexpr size_t kColumn = 34, kWidth = 79;
    std::string text;
    for (const TOptionEntry& entry : OptionTable()) {
        std::string left = entry.Short ? std::string("-") + entry.Short + ", " : "    ";
        left += std::string("--") + entry.Long;
        if (entry.Kind == TValueKind::vkRequired) left += std::string(" ") + entry.ValueName;
        if (entry.Kind == TValueKind::vkOptional) left += std::string("[=") + entry.ValueName + "]";
        std::string line = "  " + left;
        if (line.size() < kColumn)
            line.resize(kColumn, ' ');
        else
            line += "\n" + std::string(kColumn, ' ');
        size_t lineLength = kColumn;
        bool first = true;
        for (const std::string& word : SplitWords(entry.Help)) {
            if (!first && lineLength + 1 + word.size() > kWidth) {
                line += "\n" + std::string(kColumn, ' ');
                lineLength = kColumn;
                first = true;
            }
            line += (first ? "" : " ") + word;
            lineLength += (first ? 0 : 1) + word.size();
            first = false;
        }
        text += line + "\n";
    }
    return text;
}

void TRunOptions::ApplyTo(TDownloadProject& project) const {
    if (Mode) project.ProjectMode = static_cast<TProjectMode>(*Mode);
    if (Scope) project.ScopeMode = static_cast<TScopeMode>(*Scope);
    if (JavaScript) project.JavaScriptMode = static_cast<TJavaScriptMode>(*JavaScript);
    auto limit = [](const std::optional<TLimitOption>& option, bool& used, int32_t& value) {
        if (!option) return;
        used = option->Used;
        value = option->Value;
    };
    limit(MaxDepth, project.UseMaxLevelCount, project.MaxLevelCount);
    limit(MaxFiles, project.UseMaxFileCount, project.MaxFileCount);
    limit(MaxFileSize, project.UseMaxFileSize, project.MaxFileSize);
    limit(MinFileSize, project.UseMinFileSize, project.MinFileSize);
    limit(MaxTotal, project.UseMaxProjSize, project.MaxProjSize);
    limit(MinFree, project.UseMinDriveSpace, project.MinDriveSpace);
    limit(ExternalDepth, project.UseMaxExternalLevelCount, project.MaxExternalLevelCount);
    if (FollowExternal) project.FollowExternalLinks = *FollowExternal;
    if (OutsideImages) project.FollowExternalImages = *OutsideImages;
    if (Backgrounds) project.DownloadBckgrds = *Backgrounds;
    if (Reset) project.ResetOnProjStart = *Reset;
    if (ExcludeList) project.ExcludeList = *ExcludeList;
    if (User) project.UserName = *User;
    if (Password) project.Password = *Password;
    if (User || Password) project.UseAutentfication = !project.UserName.empty();
    TProjectManners& manners = project.Manners;
    if (ObeyRobots) manners.ObeyRobots = *ObeyRobots;
    if (WaitSeconds) manners.WaitSeconds = *WaitSeconds;
    if (RandomWait) manners.RandomWait = *RandomWait;
    if (LimitRate) manners.LimitRate = *LimitRate;
    if (LoadCookies) manners.LoadCookies = *LoadCookies;
    if (SaveCookies) manners.SaveCookies = *SaveCookies;
    if (KeepSessionCookies) manners.KeepSessionCookies = *KeepSessionCookies;
}

bool TRunOptions::ApplyTo(TProgramSettings& settings) const {
    bool changed = false;
    auto set = [&changed](auto& field, const auto& option) {
        if (!option) return;
        field = static_cast<std::decay_t<decltype(field)>>(*option);
        changed = true;
    };
    set(settings.NumberOfThreads, Connections);
    set(settings.TimeOutEnabled, TimeOutEnabled);
    set(settings.TimeOutLength, TimeOutSeconds);
    set(settings.NumberOfTries, Tries);
    set(settings.ProxyEnabled, ProxyEnabled);
    set(settings.ProxyServer, ProxyServer);
    set(settings.ProxyPort, ProxyPort);
    set(settings.ProxyUserName, ProxyUser);
    set(settings.ProxyPassword, ProxyPassword);
    set(settings.IdentifyAs, UserAgent);
    set(settings.DefaultDownloadDir, DownloadDir);
    set(settings.AutosaveEnabled, AutosaveEnabled);
    set(settings.AutosaveMinutes, AutosaveMinutes);
    set(settings.LowSpeedLimit, LowSpeedLimit);
    set(settings.LowSpeedTime, LowSpeedTime);
    set(settings.CheckCertificates, CheckCertificates);
    set(settings.CaCertificates, CaCertificates);
    set(settings.KeepAlive, KeepAlive);
    set(settings.Language, Language);
    return changed;
}

} // namespace vorlin::cli
