#include "platform/Shell.h"

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlin {

namespace {

std::mutex& OpenerLock() {
    static std::mutex lock;
    return lock;
}

TShellOpener& Opener() {
    static TShellOpener opener = [](const std::string& path) { return StartDetached("xdg-open", {path}); };
    return opener;
}

} // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Built before forking: the child may only call what is safe after a
    // fork in a program with threads.
    std::vector<std::string> words;
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful
    // exec closes it (close-on-exec), which the caller sees as the end.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // The intermediate child starts the program in a grandchild and
        // ends at once, so nobody has to wait for the program itself.
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            int devNull = open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                dup2(devNull, 0);
                dup2(devNull, 1);
                dup2(devNull, 2);
            }
            execvp(argv[0], argv.data());
            char failed = 1;
            ssize_t ignored = write(report[1], &failed, 1);
            (void)ignored;
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    char failed = 0;
    ssize_t got;
    while ((got = read(report[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

bool ShellOpen(const std::string& path) {
    TShellOpener opener;
    {
        std::lock_guard<std::mutex> guard(OpenerLock());
        opener = Opener();
    }
    return opener ? opener(path) : false;
}

TShellOpener SetShellOpener(TShellOpener opener) {
    std::lock_guard<std::mutex> guard(OpenerLock());
    TShellOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

} // namespace vorlin
