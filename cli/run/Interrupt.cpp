#include "cli/run/Interrupt.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vorlin::cli {

namespace {

volatile sig_atomic_t gInterrupts = 0;
int gPipe[2] = {-1, -1};
// The terminal to restore on an immediate end.
volatile sig_atomic_t gEchoFd = -1;
termios gSavedTermios{};
// The second Ctrl-C's words, written from the signal handler: a buffer
// filled before the handler can run and never freed.
char gEndMessage[4096] = "\nstopped at once\n";
volatile sig_atomic_t gEndMessageLength = sizeof "\nstopped at once\n" - 1;

void OnInterrupt(int) {
    int count = gInterrupts + 1;
    gInterrupts = count;
    if (count >= 2) {
        if (gEchoFd >= 0) tcsetattr(gEchoFd, TCSANOW, &gSavedTermios);
        (void)!write(STDERR_FILENO, gEndMessage, static_cast<size_t>(gEndMessageLength));
        _exit(kExitInterrupted);
    }
    int saved = errno;
    char byte = 1;
    (void)!write(gPipe[1], &byte, 1);
    errno = saved;
}

struct sigaction gPrevious {};
std::thread gWatcher;

} // namespace

TInterruptWatch::TInterruptWatch(std::function<void()> onFirst) {
    gInterrupts = 0;
    if (pipe2(gPipe, O_CLOEXEC) != 0) return;
    gWatcher = std::thread([onFirst = std::move(onFirst)] {
        char byte;
        for (;;) {
            ssize_t n = read(gPipe[0], &byte, 1);
            if (n < 0 && errno == EINTR) continue;
            // 0: the write end closed (the watch ends); 2: the watch ends too.
            if (n <= 0 || byte != 1) return;
            if (onFirst) onFirst();
        }
    });
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a prompt waiting for input gives up when Ctrl-C comes.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &gPrevious);
}

TInterruptWatch::~TInterruptWatch() {
    if (gPipe[1] < 0) return;
    sigaction(SIGINT, &gPrevious, nullptr);
    char stop = 2;
    (void)!write(gPipe[1], &stop, 1);
    if (gWatcher.joinable()) gWatcher.join();
    close(gPipe[0]);
    close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

bool TInterruptWatch::Interrupted() const { return gInterrupts > 0; }

bool InterruptPending() { return gInterrupts > 0; }

void SetImmediateEndMessage(const std::string& text) {
    const std::string message = "\nstopped at once\n" + text + (text.empty() ? "" : "\n");
    const size_t length = std::min(message.size(), sizeof gEndMessage);
    // Shortened first, so that the handler never writes a half-copied text.
    gEndMessageLength = 0;
    std::memcpy(gEndMessage, message.data(), length);
    gEndMessageLength = static_cast<sig_atomic_t>(length);
}

void NoteEchoOff(int fd, const void* savedTermios) {
    gSavedTermios = *static_cast<const termios*>(savedTermios);
    gEchoFd = fd;
}

void NoteEchoOn() { gEchoFd = -1; }

} // namespace vorlin::cli
