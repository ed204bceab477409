// The subcommands of the `vorlin` program. Each command lives in a file of its
// own and registers itself with VORLIN_COMMAND; main() dispatches on the first
// argument.
#pragma once

#include <string>
#include <vector>

namespace vorlin::cli {

// Exit status conventions of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // could not do it (bad file, failed run)
constexpr int kExitUsage = 2;    // bad arguments or option values

struct TCommand {
    std::string Name;
    std::string Summary;  // one line for the command list
    // Arguments after the command name; returns the exit status.
    int (*Run)(const std::vector<std::string>& args);
};

void RegisterCommand(const TCommand& command);
const std::vector<TCommand>& Commands();

struct TCommandRegistrar {
    explicit TCommandRegistrar(const TCommand& command) { RegisterCommand(command); }
};

} // namespace vorlin::cli

#define VORLIN_COMMAND_CAT2(a, b) a##b
#define VORLIN_COMMAND_CAT(a, b) VORLIN_COMMAND_CAT2(a, b)
#define VORLIN_COMMAND(name, summary, function)                                                   \
    static const ::vorlin::cli::TCommandRegistrar VORLIN_COMMAND_CAT(vorlinCommand_, __LINE__)( \
        ::vorlin::cli::TCommand{name, summary, function})
