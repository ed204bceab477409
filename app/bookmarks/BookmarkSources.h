// Where the bookmarks of this user's browsers are: our stand-ins for the
// registry look-ups the import was designed around.
// - The browser users offered are the Firefox profiles (profiles.ini below
//   ~/.mozilla/firefox, and the snap and flatpak places); a user's bookmark
//   file is the Netscape-format export "bookmarks.html" in the profile.
// - The browser's installation directory answers nothing.
// - The standard favourites folder is ~/Favorites (when it exists): a
//   folder of ".url" shortcuts, as a copied Windows profile has it.
// - Firefox's "places.sqlite" comes from the chosen profile; Chromium's and
//   Chrome's "Bookmarks" from their profile folders below ~/.config.
#pragma once

#include <string>
#include <vector>

namespace vorlin {
struct TProgramSettings;
}

namespace vorlin::app {

// The user's folders the look-ups start from.
struct TBrowserHome {
    std::string Home;        // the home directory, with a trailing "/"
    std::string ConfigHome;  // $XDG_CONFIG_HOME, else Home + ".config/"; trailing "/"
};
// From $HOME and $XDG_CONFIG_HOME.
TBrowserHome BrowserHomeFromEnvironment();

struct TBrowserProfile {
    std::string Name;       // as offered in the settings
    std::string Directory;  // with a trailing "/"
    bool IsDefault = false;
};

std::vector<TBrowserProfile> FirefoxProfiles(const TBrowserHome& home);
// Chromium and Chrome profiles that have a "Bookmarks" file, named
// "Chromium: Default", "Google Chrome: Profile 1", ...
std::vector<TBrowserProfile> ChromiumProfiles(const TBrowserHome& home);
// The profile of that name, else the default one, else the first; null when none.
const TBrowserProfile* ChooseProfile(const std::vector<TBrowserProfile>& profiles, const std::string& name);

// Empty: not known here.
std::string BrowserInstallDirectory();
// ~/Favorites/ when it is a directory, else empty.
std::string StandardFavoritesDirectory(const TBrowserHome& home);

// The sources the settings name; empty means there is nothing to import.
std::string NetscapeBookmarkFile(const TProgramSettings& settings, const TBrowserHome& home);
std::string FavoritesDirectory(const TProgramSettings& settings, const TBrowserHome& home);
std::string FirefoxPlacesFile(const TProgramSettings& settings, const TBrowserHome& home);
std::string ChromiumBookmarksFile(const TProgramSettings& settings, const TBrowserHome& home);

} // namespace vorlin::app
