// `vorlin`: the command-line front end of HTTP Vorlin.
#include "cli/Command.h"

#include "platform/DebugLog.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>

namespace vorlin::cli {

namespace {
std::vector<TCommand>& Registry() {
    static std::vector<TCommand> commands;
    return commands;
}

void PrintUsage(std::ostream& out) {
    out << "usage: vorlin <command> [options] [arguments]\n\ncommands:\n";
    std::vector<TCommand> sorted = Registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const TCommand& a, const TCommand& b) { return a.Name < b.Name; });
    for (const TCommand& c : sorted) {
        std::string name = c.Name;
        name.resize(std::max<size_t>(name.size() + 2, 16), ' ');
        out << "  " << name << c.Summary << "\n";
    }
    out << "\n'vorlin <command> --help' describes a command.\n";
}
} // namespace

void RegisterCommand(const TCommand& command) { Registry().push_back(command); }
const std::vector<TCommand>& Commands() { return Registry(); }

} // namespace vorlin::cli

int main(int argc, char** argv) {
    using namespace vorlin::cli;
    // Internal warnings of the engine go to standard error.
    vorlin::SetDebugLogSink([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    if (argc < 2) {
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(std::cout);
        return kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const TCommand& c : Commands()) {
        if (c.Name != name) continue;
        try {
            return c.Run(args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vorlin %s: %s\n", name.c_str(), e.what());
            return kExitFailure;
        }
    }
    std::fprintf(stderr, "vorlin: unknown command '%s'\n", name.c_str());
    PrintUsage(std::cerr);
    return kExitUsage;
}
