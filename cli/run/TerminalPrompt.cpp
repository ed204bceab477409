#include "cli/run/TerminalPrompt.h"

#include "cli/run/Interrupt.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
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
    // Ctrl-C gives up the question (the run is being stopped). SIGINT is let
    // through only while waiting in ppoll: one that came just before the
    // wait, or before the question, is seen by the check instead of being
    // missed while read blocks.
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    std::optional<std::string> answer;
    std::string line;
    for (;;) {
        if (InterruptPending()) break;
        pollfd ready{FFd, POLLIN, 0};
        int n = ppoll(&ready, 1, nullptr, &previous);
        if (n < 0 && errno == EINTR) continue;
        char c;
        ssize_t got = n < 0 ? -1 : read(FFd, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (!line.empty()) answer = line;
            break;
        }
        if (c == '\n') {
            answer = line;
            break;
        }
        if (c != '\r') line += c;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return answer;
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
