#include "tests/e2e/support/PtyProgram.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace vorlin::test {

TPtyProgram::TPtyProgram(const std::string& binary, const std::vector<std::string>& arguments, unsigned short columns,
                         unsigned short rows) {
    std::vector<std::string> args = arguments;
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    FPid = ::forkpty(&FMaster, nullptr, nullptr, &size);
    if (FPid < 0) throw std::runtime_error("cannot start a program on a pseudo-terminal");
    if (FPid == 0) {
        // The test's own signal settings are not the program's.
        ::signal(SIGINT, SIG_DFL);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
}

TPtyProgram::~TPtyProgram() {
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
    if (FMaster >= 0) ::close(FMaster);
}

bool TPtyProgram::ReadSome(std::chrono::milliseconds wait) {
    pollfd p{FMaster, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(wait.count()));
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;
    char buffer[4096];
    ssize_t n = ::read(FMaster, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return true;
    // EIO: the program and all it started have closed the terminal.
    if (n <= 0) return false;
    FOutput.append(buffer, static_cast<size_t>(n));
    return true;
}

bool TPtyProgram::WaitFor(const std::string& text, TSeconds limit) {
    auto end =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(limit);
    for (;;) {
        size_t found = FOutput.find(text, FMatched);
        if (found != std::string::npos) {
            FMatched = found + text.size();
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) return false;
        if (!ReadSome(std::chrono::milliseconds(50))) return FOutput.find(text, FMatched) != std::string::npos;
    }
}

void TPtyProgram::ReadReady() {
    for (;;) {
        pollfd p{FMaster, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN) || !ReadSome(std::chrono::milliseconds(0))) return;
    }
}

std::string TPtyProgram::Unmatched() {
    ReadReady();
    return FOutput.substr(FMatched);
}

void TPtyProgram::Type(const std::string& keys) {
    size_t done = 0;
    while (done < keys.size()) {
        ssize_t n = ::write(FMaster, keys.data() + done, keys.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("the program's terminal is closed");
        done += static_cast<size_t>(n);
    }
}

bool TPtyProgram::Echoes() const {
    // The master side reports the settings of the program's side.
    termios settings{};
    return ::tcgetattr(FMaster, &settings) == 0 && (settings.c_lflag & ECHO);
}

int TPtyProgram::WaitExit(TSeconds limit) {
    if (FPid < 0) return FStatus;
    auto end =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(limit);
    for (;;) {
        // Reading on keeps a program that writes much from blocking.
        bool open = ReadSome(std::chrono::milliseconds(20));
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            if (open) ReadReady();
            FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
            return FStatus;
        }
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
            FStatus = -1;
            FPid = -1;
            return -1;
        }
        if (!open) ::usleep(20 * 1000);
    }
}

} // namespace vorlin::test
