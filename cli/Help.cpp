// `vorlin help [COMMAND]` and `vorlin version`; `vorlin help --man [FILE]`
// writes the manual page (the build makes build/share/man/man1/vorlin.1 so).
#include "cli/Command.h"
#include "cli/ManPage.h"
#include "cli/ProgramHelp.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kHelpUsage =
    "usage: vorlin help [COMMAND]\n"
    "       vorlin help --man [FILE]\n"
    "Describes the program, or one command (as 'vorlin COMMAND --help' does).\n"
    "--man writes the manual page vorlin(1), made from the same texts, to FILE\n"
    "or standard output.\n";

int WriteManPage(const std::vector<std::string>& args) {
    const std::string page = ManPage();
    if (args.size() < 2) {
        std::cout << page;
        return kExitOk;
    }
    try {
        WriteFileAtomically(args[1], [&page](TFileStream& file) {
            file.WriteBuffer(page.data(), static_cast<int64_t>(page.size()));
        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin help: %s\n", e.what());
        return kExitFailure;
    }
    return kExitOk;
}

int Help(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cout << ProgramHelp();
        return kExitOk;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kHelpUsage;
        return kExitOk;
    }
    if (args[0] == "--man" && args.size() <= 2) return WriteManPage(args);
    if (args.size() == 1)
        for (const TCommand& command : Commands())
            if (command.Name == args[0] && command.Name != "help") return command.Run({"--help"});
    std::fprintf(stderr, "vorlin help: no command '%s'; see 'vorlin --help'\n", args[0].c_str());
    return kExitUsage;
}

int Version(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] != "--help" && args[0] != "-h") {
        std::fprintf(stderr, "vorlin version: takes no arguments\n");
        return kExitUsage;
    }
    if (!args.empty()) {
        std::cout << "usage: vorlin version\nPrints the program's version (as 'vorlin --version' does).\n";
        return kExitOk;
    }
    std::cout << VersionText() << "\n";
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("help", "describe the program or a command", Help);
VORLIN_COMMAND("version", "print the version", Version);

} // namespace vorlin::cli
