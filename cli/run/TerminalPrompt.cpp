#include "cli/run/TerminalPrompt.h"

#include "cli/run/Interrupt.h"

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace vorlin::cli {

TTerminalPrompt::TTerminalPrompt() {
    if (isatty(STDIN_FILENO)) FFd = open("/dev/tty", O_RDWR | O_CLOEXEC);
}

TTerminalPrompt::~TTerminalPrompt() {
    if (FFd >= 0) close(FFd);
}

void TTerminalPrompt::Write(const std::string& text) {
    if (FFd < 0) return;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(FFd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

std::optional<std::string> TTerminalPrompt::ReadLine(const std::string& prompt) {
    if (FFd < 0) return std::nullopt;
    Write(prompt);
    std::string line;
    for (;;) {
        char c;
        ssize_t n = read(FFd, &c, 1);
        // Ctrl-C gives up the question (the run is being stopped).
        if (n < 0 && errno == EINTR && !InterruptPending()) continue;
        if (n < 0 && errno == EINTR) return std::nullopt;
        if (n <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') return line;
        if (c != '\r') line += c;
    }
}

std::optional<std::string> TTerminalPrompt::ReadSecret(const std::string& prompt) {
    if (FFd < 0) return std::nullopt;
    termios saved{};
    bool restore = tcgetattr(FFd, &saved) == 0;
    if (restore) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        NoteEchoOff(FFd, &saved);
        tcsetattr(FFd, TCSAFLUSH, &quiet);
    }
    std::optional<std::string> line = ReadLine(prompt);
    if (restore) {
        tcsetattr(FFd, TCSAFLUSH, &saved);
        NoteEchoOn();
    }
    return line;
}

} // namespace vorlin::cli
