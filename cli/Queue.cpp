// `vorlin queue NODEPATH`: hands a project to a running HTTPVorlin, as the
// scheduler does: WM_COPYDATA with the zero-terminated node path to the
// window of class THttpGetForm, which selects that project and puts it into
// its queue. So cron or a systemd timer can queue projects.
#include "cli/Command.h"

#include "platform/InterProcess.h"

#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin queue NODEPATH\n"
    "Puts a project into the download queue of the running HTTPVorlin, as the\n"
    "scheduler does. NODEPATH names the project by its place in the project tree:\n"
    "\"/\", the top folder, the folders below it and the project, each joined by\n"
    "\"/\", for example /Projects/News/Daily. HTTPVorlin itself says when no project\n"
    "has that path. Exits 1 when HTTPVorlin is not running.\n";

constexpr const char* kMainWindowClass = "THttpGetForm";

int Queue(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string& nodePath = args[0];
    if (nodePath.find('\0') != std::string::npos || nodePath.size() >= 64 * 1024) {
        std::cerr << "vorlin queue: not a node path\n";
        return kExitUsage;
    }
    TRemoteWindow window = FindWindowByClass(kMainWindowClass);
    if (window == 0) {
        std::cerr << "vorlin queue: HTTPVorlin is not running; start it first (nothing was queued)\n";
        return kExitFailure;
    }
    TCopyData data;
    data.Bytes.assign(nodePath.begin(), nodePath.end());
    data.Bytes.push_back(0);
    if (!SendCopyData(window, 0, data)) {
        std::cerr << "vorlin queue: HTTPVorlin did not take the request (it may be closing)\n";
        return kExitFailure;
    }
    std::cout << "Sent " << nodePath << " to HTTPVorlin\n";
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("queue", "hands a project to the running HTTPVorlin's download queue", Queue);

} // namespace vorlin::cli
