// The desktop program's command line: "/docking" (any case), "afterupdate"
// (first), "--home DIR", and an address ("HTTPVorlin URL", as the
// HTTPVorlin.desktop file passes it with %u): a project from a template for
// it. While the program runs already, the address goes to the running
// window (WM_COPYDATA with kUrlHandOverTag) instead of a second window.
#pragma once

#include <QStringList>

#include <cstdint>
#include <string>

namespace vorlin::app {

// The WM_COPYDATA tag of an address handed to the running window ("URL");
// node paths from `vorlin queue` come with tag 0.
constexpr uintptr_t kUrlHandOverTag = 0x55524C;

struct TCommandLine {
    bool Docking = false;
    bool AfterUpdate = false;
    std::string Home;
    std::string Url;                    // an http:// or https:// address
    std::vector<std::string> Ignored;   // arguments that are none of these
};

TCommandLine ParseCommandLine(const QStringList& arguments);

// Hands the address to the running program's window; false when none runs
// (or it did not take it).
bool HandUrlToRunningWindow(const std::string& url);

} // namespace vorlin::app
