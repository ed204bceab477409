// Questions asked on the user's terminal (/dev/tty), so that they work
// while the output goes to a file. There is no terminal to ask when
// standard input is not one: then nothing is asked.
#pragma once

#include <optional>
#include <string>

namespace vorlin::cli {

class TTerminalPrompt {
public:
    TTerminalPrompt();
    ~TTerminalPrompt();
    TTerminalPrompt(const TTerminalPrompt&) = delete;
    TTerminalPrompt& operator=(const TTerminalPrompt&) = delete;

    bool Available() const { return FFd >= 0; }
    // Writes text as it is.
    void Write(const std::string& text);
    // The line typed, without its line break; none at end of input.
    std::optional<std::string> ReadLine(const std::string& prompt);
    // The same with echo off (a password).
    std::optional<std::string> ReadSecret(const std::string& prompt);

private:
    int FFd = -1;
};

} // namespace vorlin::cli
