// `vorlin`: the command-line front end of HTTP Vorlin.
#include "cli/Command.h"
#include "cli/ProgramHelp.h"

#include "platform/DebugLog.h"
#include "platform/HiddenPasswords.h"

#include <cstdio>
#include <exception>
#include <iostream>

namespace vorlin::cli {

namespace {
std::vector<TCommand>& Registry() {
    static std::vector<TCommand> commands;
    return commands;
}
} // namespace

void RegisterCommand(const TCommand& command) { Registry().push_back(command); }
const std::vector<TCommand>& Commands() { return Registry(); }

} // namespace vorlin::cli

int main(int argc, char** argv) {
    using namespace vorlin::cli;
    // Internal warnings go to standard error; `get` and `run` show them only
    // when asked (-v, --debug).
    vorlin::SetDebugLogSink(
        [](const std::string& line) { std::fprintf(stderr, "%s\n", vorlin::HideURLPasswords(line).c_str()); });
    if (argc < 2) {
        std::cerr << "usage: vorlin <command> [options] [arguments]\n"
                     "'vorlin --help' lists the commands.\n";
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        std::cout << ProgramHelp();
        return kExitOk;
    }
    if (name == "--version" || name == "-V") {
        std::cout << VersionText() << "\n";
        return kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const TCommand& c : Commands()) {
        if (c.Name != name) continue;
        try {
            return c.Run(args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vorlin %s: %s\n", name.c_str(), vorlin::HideURLPasswords(e.what()).c_str());
            return kExitFailure;
        }
    }
    std::fprintf(stderr, "vorlin: unknown command '%s'; see 'vorlin --help'\n", name.c_str());
    return kExitUsage;
}
