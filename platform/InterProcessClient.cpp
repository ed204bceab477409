// The asking side of the inter-program layer: one connection per request,
// time limits on every step so a hung program can't hang the one that asks,
// and the same checks on the reply as the server applies to requests.
#include "platform/InterProcess_p.h"

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vorlin::ipc {

namespace {

constexpr int kExchangeTimeoutMs = 3000;

class TSocket {
public:
    TSocket() : FFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~TSocket() {
        if (FFd >= 0) close(FFd);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

void SetTimeouts(int fd) {
    timeval tv{};
    tv.tv_sec = kExchangeTimeoutMs / 1000;
    tv.tv_usec = (kExchangeTimeoutMs % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
}

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool ReceiveReply(int fd, TReply& reply) {
    std::string buffer;
    char chunk[4096];
    for (;;) {
        size_t used = 0;
        switch (DecodeReply(buffer, reply, used)) {
        case TParse::psComplete: return true;
        case TParse::psBad: return false;
        case TParse::psIncomplete: break;
        }
        ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(n));
    }
}

} // namespace

bool PeerIsUs(int fd) {
    ucred cred{};
    socklen_t length = sizeof(cred);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == geteuid();
}

TExchange Exchange(const std::string& socketPath, const TRequest& request, TReply& reply) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path)) return TExchange::erFailed;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);

    TSocket s;
    if (s.Fd() < 0) return TExchange::erFailed;
    SetTimeouts(s.Fd());
    int rc;
    do {
        rc = connect(s.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return errno == ECONNREFUSED || errno == ENOENT || errno == ENOTSOCK ? TExchange::erNoServer
                                                                            : TExchange::erFailed;
    if (!PeerIsUs(s.Fd())) return TExchange::erFailed;
    if (!SendAll(s.Fd(), EncodeRequest(request))) return TExchange::erFailed;
    return ReceiveReply(s.Fd(), reply) ? TExchange::erOk : TExchange::erFailed;
}

bool QueryWindow(const std::string& directory, TRemoteWindow window, std::string* title) {
    if (window == 0 || ProcessOf(window) <= 0) return false;
    TReply reply;
    TExchange result = Exchange(ProcessSocketPath(directory, ProcessOf(window)),
                                TRequest{TOp::opQueryWindow, EncodeWindowId(IdOf(window))}, reply);
    if (result != TExchange::erOk || reply.Status != TStatus::stOk) return false;
    if (title) *title = reply.Body;
    return true;
}

} // namespace vorlin::ipc
