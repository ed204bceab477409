#include "app/bookmarks/BookmarkSources.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/StringUtils.h"
#include "project/ProgramSettings.h"

#include <algorithm>
#include <cstdlib>

namespace vorlin::app {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// "relative" paths in profiles.ini are below the file's own folder.
void ReadProfilesIni(const std::string& folder, const std::string& label, std::vector<TBrowserProfile>& profiles) {
    const std::string file = folder + "profiles.ini";
    if (!FileExists(file) || FileSizeOf(file) > 1024 * 1024) return;
    TIniFile ini;
    try {
        ini.LoadFromFile(file);
    } catch (const std::exception&) {
        return;
    }
    // The profile an installation uses by default is named in its
    // [Install...] section; older files mark it Default=1.
    std::vector<std::string> installDefaults, sections;
    for (const std::string& line : SplitLines(ini.ToText())) {
        if (line.size() < 3 || line.front() != '[' || line.find(']') == std::string::npos) continue;
        const std::string section = line.substr(1, line.find(']') - 1);
        if (StartsText("Install", section)) installDefaults.push_back(ini.ReadString(section, "Default", ""));
        if (StartsText("Profile", section) && ini.ValueExists(section, "Path")) sections.push_back(section);
    }
    for (const std::string& section : sections) {
        const std::string path = ini.ReadString(section, "Path", "");
        TBrowserProfile profile;
        profile.Name = ini.ReadString(section, "Name", path);
        profile.Directory = IncludeTrailingSlash(ini.ReadBool(section, "IsRelative", true) ? folder + path : path);
        profile.IsDefault = ini.ReadBool(section, "Default", false);
        if (!installDefaults.empty())
            profile.IsDefault = std::find(installDefaults.begin(), installDefaults.end(), path) != installDefaults.end();
        const bool taken = std::any_of(profiles.begin(), profiles.end(),
                                       [&](const TBrowserProfile& p) { return p.Name == profile.Name; });
        if (taken) profile.Name += " (" + label + ")";
        profiles.push_back(std::move(profile));
    }
}

} // namespace

TBrowserHome BrowserHomeFromEnvironment() {
    TBrowserHome home;
    home.Home = IncludeTrailingSlash(Variable("HOME"));
    const std::string config = Variable("XDG_CONFIG_HOME");
    // Only an absolute $XDG_CONFIG_HOME counts.
    home.ConfigHome = !config.empty() && config[0] == '/' ? IncludeTrailingSlash(config) : home.Home + ".config/";
    return home;
}

std::vector<TBrowserProfile> FirefoxProfiles(const TBrowserHome& home) {
    std::vector<TBrowserProfile> profiles;
    if (home.Home.empty() || home.Home == "/") return profiles;
    ReadProfilesIni(home.Home + ".mozilla/firefox/", "Firefox", profiles);
    ReadProfilesIni(home.Home + "snap/firefox/common/.mozilla/firefox/", "snap", profiles);
    ReadProfilesIni(home.Home + ".var/app/org.mozilla.firefox/.mozilla/firefox/", "flatpak", profiles);
    return profiles;
}

std::vector<TBrowserProfile> ChromiumProfiles(const TBrowserHome& home) {
    std::vector<TBrowserProfile> profiles;
    if (home.Home.empty() || home.Home == "/") return profiles;
    const std::pair<std::string, std::string> browsers[] = {
        {"Chromium", home.ConfigHome + "chromium/"},
        {"Google Chrome", home.ConfigHome + "google-chrome/"},
        {"Google Chrome Beta", home.ConfigHome + "google-chrome-beta/"},
        {"Google Chrome Dev", home.ConfigHome + "google-chrome-unstable/"},
        {"Chromium (snap)", home.Home + "snap/chromium/common/chromium/"},
        {"Chromium (flatpak)", home.Home + ".var/app/org.chromium.Chromium/config/chromium/"},
        {"Google Chrome (flatpak)", home.Home + ".var/app/com.google.Chrome/config/google-chrome/"},
    };
    for (const auto& [browser, folder] : browsers) {
        std::vector<std::string> names = ListDirectory(folder);
        std::sort(names.begin(), names.end());
        // "Default" first, then "Profile 1", "Profile 2", ...
        std::stable_partition(names.begin(), names.end(), [](const std::string& n) { return n == "Default"; });
        for (const std::string& name : names) {
            if (name != "Default" && !StartsText("Profile ", name)) continue;
            if (!FileExists(folder + name + "/Bookmarks")) continue;
            profiles.push_back({browser + ": " + name, folder + name + "/", profiles.empty()});
        }
    }
    return profiles;
}

const TBrowserProfile* ChooseProfile(const std::vector<TBrowserProfile>& profiles, const std::string& name) {
    for (const TBrowserProfile& profile : profiles)
        if (!name.empty() && profile.Name == name) return &profile;
    for (const TBrowserProfile& profile : profiles)
        if (profile.IsDefault) return &profile;
    return profiles.empty() ? nullptr : &profiles.front();
}

std::string BrowserInstallDirectory() { return std::string(); }

std::string StandardFavoritesDirectory(const TBrowserHome& home) {
    if (home.Home.empty() || home.Home == "/") return std::string();
    const std::string folder = home.Home + "Favorites/";
    return DirectoryExists(folder) ? folder : std::string();
}

std::string NetscapeBookmarkFile(const TProgramSettings& settings, const TBrowserHome& home) {
    if (settings.BookmUserSelect) {
        const std::vector<TBrowserProfile> profiles = FirefoxProfiles(home);
        const TBrowserProfile* profile = ChooseProfile(profiles, settings.SelectedUser);
        return profile ? profile->Directory + "bookmarks.html" : std::string();
    }
    if (settings.BookmNetscpDir) {
        const std::string directory = BrowserInstallDirectory();
        return directory.empty() ? std::string() : IncludeTrailingSlash(directory) + "Program/Defaults/bookmark.htm";
    }
    const std::string& other = settings.BookmOtherFile;
    if (other.empty()) return std::string();
    // A file chosen in the dialog is taken as it is; a folder holds "bookmark.htm".
    if (FileExists(other) || (other.size() >= 13 && other.compare(other.size() - 13, 13, "/bookmark.htm") == 0))
        return other;
    return IncludeTrailingSlash(other) + "bookmark.htm";
}

std::string FavoritesDirectory(const TProgramSettings& settings, const TBrowserHome& home) {
    return settings.FavStandard ? StandardFavoritesDirectory(home) : settings.FavOtherDir;
}

std::string FirefoxPlacesFile(const TProgramSettings& settings, const TBrowserHome& home) {
    if (settings.FirefoxOther) {
        const std::string& other = settings.FirefoxOtherFile;
        if (other.empty()) return std::string();
        return DirectoryExists(other) ? IncludeTrailingSlash(other) + "places.sqlite" : other;
    }
    const std::vector<TBrowserProfile> profiles = FirefoxProfiles(home);
    const TBrowserProfile* profile = ChooseProfile(profiles, settings.FirefoxProfile);
    return profile ? profile->Directory + "places.sqlite" : std::string();
}

std::string ChromiumBookmarksFile(const TProgramSettings& settings, const TBrowserHome& home) {
    if (settings.ChromiumOther) {
        const std::string& other = settings.ChromiumOtherFile;
        if (other.empty()) return std::string();
        return DirectoryExists(other) ? IncludeTrailingSlash(other) + "Bookmarks" : other;
    }
    const std::vector<TBrowserProfile> profiles = ChromiumProfiles(home);
    const TBrowserProfile* profile = ChooseProfile(profiles, settings.ChromiumProfile);
    return profile ? profile->Directory + "Bookmarks" : std::string();
}

} // namespace vorlin::app
