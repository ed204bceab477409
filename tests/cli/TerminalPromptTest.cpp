// Questions on the terminal and Ctrl-C: a Ctrl-C that came before the
// program waits for the answer must give the question up, not leave it
// waiting for a line while the run is being stopped. Run in a child on a
// pseudo-terminal of its own, as the prompt needs a real terminal.
#include "cli/run/TerminalPrompt.h"
#include "cli/run/Interrupt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vorlin::cli;

namespace {

// Runs body in a child on a new terminal, typing keys into it; answers the
// child's exit status, or -1 when it did not end within two seconds.
int OnTerminal(const std::function<int()>& body, const std::string& keys = std::string()) {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) return -2;
    if (pid == 0) _exit(body());
    if (!keys.empty()) (void)!write(master, keys.data(), keys.size());
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int status = 0;
    int result = -1;
    while (std::chrono::steady_clock::now() < end) {
        // Reading keeps the child's writes from blocking.
        pollfd p{master, POLLIN, 0};
        char buffer[256];
        if (poll(&p, 1, 20) > 0 && read(master, buffer, sizeof buffer) <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(pid, &status, WNOHANG) == pid) {
            result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid = -1;
            break;
        }
    }
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(master);
    return result;
}

TEST(TerminalPrompt, ACtrlCBeforeTheQuestionGivesItUpAtOnce) {
    auto asked = [](bool secret) {
        return [secret] {
            TInterruptWatch watch(nullptr);
            TTerminalPrompt prompt;
            if (!prompt.Available()) return 3;
            raise(SIGINT);
            std::optional<std::string> answer = secret ? prompt.ReadSecret("Password: ") : prompt.ReadLine("Name: ");
            return answer ? 1 : 0;
        };
    };
    EXPECT_EQ(OnTerminal(asked(false)), 0);
    EXPECT_EQ(OnTerminal(asked(true)), 0);
}

TEST(TerminalPrompt, ReadsTheLineTyped) {
    auto asked = [] {
        TInterruptWatch watch(nullptr);
        TTerminalPrompt prompt;
        std::optional<std::string> answer = prompt.ReadLine("Name: ");
        return answer && *answer == "alice" ? 0 : 1;
    };
    EXPECT_EQ(OnTerminal(asked, "alice\r"), 0);
}

} // namespace
