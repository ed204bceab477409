// The `vorlin` program run under a pseudo-terminal, driven as a user at a
// terminal would: wait for a prompt, type an answer, press Ctrl-C. Every
// wait has a time limit, so a program that never asks fails the test
// instead of hanging it.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vorlin::test {

class TPtyProgram {
public:
    using TSeconds = std::chrono::duration<double>;
    // Starts binary with the arguments on a new terminal of this size
    // (standard input, output and error all on it). Throws when it cannot.
    TPtyProgram(const std::string& binary, const std::vector<std::string>& args, unsigned short columns = 160,
                unsigned short rows = 40);
    ~TPtyProgram();  // kills the program if it still runs
    TPtyProgram(const TPtyProgram&) = delete;
    TPtyProgram& operator=(const TPtyProgram&) = delete;

    // Waits until text appears in the output after what earlier waits
    // matched; true then, and the match is passed. False after the limit
    // or when the program ended without writing it.
    bool WaitFor(const std::string& text, TSeconds limit = std::chrono::seconds(5));
    // What came after the last match so far (reads what is ready).
    std::string Unmatched();
    // Typed as on the keyboard ("\r" is Enter, "\x03" Ctrl-C).
    void Type(const std::string& keys);
    // Waits for the end, reading on; answers the exit status, 128 + signal,
    // or -1 when it did not end within the limit (it is killed then).
    int WaitExit(TSeconds limit = std::chrono::seconds(10));
    // Whether the terminal echoes what is typed (as the program left it).
    bool Echoes() const;
    // Everything the program wrote, as the terminal received it.
    const std::string& Output() const { return FOutput; }

private:
    // Reads what arrives within the time; false when the terminal closed.
    bool ReadSome(std::chrono::milliseconds wait);
    // Reads what is there without waiting.
    void ReadReady();
    int FMaster = -1;
    pid_t FPid = -1;
    int FStatus = -1;
    std::string FOutput;
    size_t FMatched = 0;
};

} // namespace vorlin::test
