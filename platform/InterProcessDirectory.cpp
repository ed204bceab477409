// The runtime directory of the inter-program layer and the names in it. The
// directory is private to the user (0700, owned by us, not a symbolic link):
// a directory that fails these checks is never used, since another user
// could otherwise plant names or read what programs send each other.
#include "platform/InterProcess_p.h"

#include "platform/DebugLog.h"
#include "platform/StringUtils.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vorlin {

namespace {

std::mutex& DirectoryLock() {
    static std::mutex lock;
    return lock;
}

std::string& DirectoryOverride() {
    static std::string directory;
    return directory;
}

std::string DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/HTTPVorlin";
    const char* temp = std::getenv("TMPDIR");
    std::string base = temp && temp[0] == '/' ? temp : "/tmp";
    return base + "/HTTPVorlin-" + std::to_string(geteuid());
}

// Creates the directory if needed and checks that it is ours alone.
bool MakePrivateDirectory(const std::string& path, std::string& problem) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        problem = "not a directory";
        return false;
    }
    if (st.st_uid != geteuid()) {
        problem = "owned by another user";
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
        problem = "open to other users";
        return false;
    }
    return true;
}

} // namespace

std::string InterProcessDirectory() {
    std::lock_guard<std::mutex> guard(DirectoryLock());
    return DirectoryOverride().empty() ? DefaultDirectory() : DirectoryOverride();
}

void SetInterProcessDirectoryForTests(const std::string& directory) {
    std::lock_guard<std::mutex> guard(DirectoryLock());
    DirectoryOverride() = directory;
}

namespace ipc {

std::string UsableDirectory() {
    const std::string path = InterProcessDirectory();
    std::string problem;
    // The longest socket name ("/p-" and a pid) must fit a socket address.
    if (path.size() + 16 >= sizeof(sockaddr_un{}.sun_path))
        problem = "path too long for a socket";
    else if (MakePrivateDirectory(path, problem))
        return path;
    static std::once_flag reported;
    std::call_once(reported, [&] { DebugLog("Inter-program directory " + path + " can't be used: " + problem); });
    return std::string();
}

std::string EncodeName(std::string_view name) {
    static const char* const hex = "0123456789ABCDEF";
    std::string folded = LowerCase(name);
    std::string out;
    for (unsigned char c : folded) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    // File names end at 255 bytes; keep well below with room for the prefix
    // and the pid. FNV-1a is enough: a clash only makes two long names share
    // one entry, which the server's answer (it names the atom) still tells apart.
    if (out.size() > 160 || out.empty()) {
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : folded) h = (h ^ c) * 1099511628211ull;
        out = "#" + Format("%016llx", static_cast<unsigned long long>(h));
    }
    return out;
}

std::string ProcessSocketPath(const std::string& directory, pid_t pid) {
    return directory + "/p-" + std::to_string(pid);
}

std::string AtomEntryPrefix(const std::string& directory, std::string_view atom) {
    return directory + "/a-" + EncodeName(atom) + "@";
}

std::string WindowEntryPath(const std::string& directory, std::string_view windowClass) {
    return directory + "/w-" + EncodeName(windowClass);
}

std::string WindowEntryTarget(TRemoteWindow window) {
    return std::to_string(ProcessOf(window)) + ":" + Format("%08x", IdOf(window));
}

TRemoteWindow ParseWindowEntryTarget(std::string_view text) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 10 || text.size() - colon - 1 != 8) return 0;
    uint64_t pid = 0;
    for (char c : text.substr(0, colon)) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + static_cast<uint64_t>(c - '0');
    }
    uint32_t id = 0;
    for (char c : text.substr(colon + 1)) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return 0;
        id = (id << 4) | static_cast<uint32_t>(digit);
    }
    if (pid == 0 || pid > 0x7FFFFFFF || id == 0) return 0;
    return MakeWindow(static_cast<pid_t>(pid), id);
}

TDirectoryLock::TDirectoryLock(const std::string& directory) {
    FFd = open((directory + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0) return;  // without the lock the names still work, only races are less safe
    while (flock(FFd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

TDirectoryLock::~TDirectoryLock() {
    if (FFd >= 0) close(FFd);
}

} // namespace ipc
} // namespace vorlin
