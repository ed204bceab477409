// Ctrl-C during a run. The first SIGINT only writes a byte to a pipe, which
// a watcher thread turns into the run's cancel; the second ends the
// program at once with status 130.
#pragma once

#include <functional>
#include <string>

namespace vorlin::cli {

constexpr int kExitInterrupted = 130;

class TInterruptWatch {
public:
    // onFirst runs on the watcher thread after the first Ctrl-C.
    explicit TInterruptWatch(std::function<void()> onFirst);
    ~TInterruptWatch();  // the previous handler back
    TInterruptWatch(const TInterruptWatch&) = delete;
    TInterruptWatch& operator=(const TInterruptWatch&) = delete;

    bool Interrupted() const;
};

// Whether Ctrl-C was pressed (safe anywhere, also without a watch).
bool InterruptPending();

// What the second Ctrl-C writes to standard error before the program ends
// (the command that resumes the run); kept until replaced.
void SetImmediateEndMessage(const std::string& text);

// While a password is typed the terminal's echo is off; an immediate end
// must switch it back on.
void NoteEchoOff(int fd, const void* savedTermios);
void NoteEchoOn();

} // namespace vorlin::cli
