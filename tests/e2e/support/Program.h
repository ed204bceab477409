// The `vorlin` program run as a child process for whole-site tests.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace vorlin::test {

struct TProgramResult {
    int Status = -1;  // exit status, or 128 + signal
    std::string Out, Err;
};

// Runs the program with these arguments to its end and collects its output.
TProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args);

// Starts the program with its output going to files below outputDir
// ("stdout", "stderr"); returns the PID.
pid_t StartProgram(const std::string& binary, const std::vector<std::string>& args, const std::string& outputDir);
// Waits for a started program; answers its exit status, or 128 + signal.
int WaitProgram(pid_t pid);

// One link of `vorlin show-links --json`: the fields the tests look at.
struct TShownLink {
    std::string State, Kind, Type, Url, LocalDir, LocalFileName;
    int Size = 0;
};
// Parses the JSON printed by `vorlin show-links --json` (one link a line).
std::vector<TShownLink> ParseShownLinks(const std::string& json);

} // namespace vorlin::test
