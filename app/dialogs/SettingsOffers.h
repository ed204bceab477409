// What the settings dialog offers to choose from, found outside it: the
// users of the installed browser, the dial-up phone-book entries, the
// browser's installation directory and the favourites directory. The
// bookmark import and the connection control fill it; empty means none.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlin::app {

struct TSettingsOffers {
    std::vector<std::string> BrowserUsers;
    std::vector<std::string> PhoneBookEntries;
    // Lists the phone-book entries afresh; the answer comes later (empty: none).
    std::function<void(std::function<void(const std::vector<std::string>&)> done)> RefreshPhoneBook;
    std::string BrowserDirectory;
    std::string FavoritesDirectory;
    // The browser profiles with bookmarks (the Firefox ones are BrowserUsers).
    std::vector<std::string> ChromiumProfiles;
};

} // namespace vorlin::app
