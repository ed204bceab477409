// A proxy for tests that answers CONNECT: it records each CONNECT request,
// answers with the status it was given and, after a 200, relays bytes both
// ways between the client and the target on 127.0.0.1 (the port in the
// request), until either side closes.
#pragma once

#include "tests/support/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

namespace vorlin::test {

class TTunnelProxy {
public:
    explicit TTunnelProxy(std::string answer = "HTTP/1.1 200 Connection established\r\n\r\n")
        : FAnswer(std::move(answer)) {
        FListener.Start([this](int fd) { return std::function<void()>([this, fd] { Serve(fd); }); });
    }
    ~TTunnelProxy() { FListener.Stop(); }

    uint16_t Port() const { return FListener.Port(); }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> g(FLock);
        return FRequests;
    }

private:
    void Serve(int client) {
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos && !FListener.Stopping()) {
            pollfd p{client, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            ssize_t n = recv(client, buf, sizeof buf, 0);
            if (n <= 0) break;
            request.append(buf, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> g(FLock);
            FRequests.push_back(request);
        }
        send(client, FAnswer.data(), FAnswer.size(), MSG_NOSIGNAL);
        if (FAnswer.compare(9, 3, "200") != 0) {
            close(client);
            return;
        }
        // "CONNECT 127.0.0.1:port HTTP/1.1"
        size_t colon = request.find(':');
        int port = colon == std::string::npos ? 0 : std::stoi(request.substr(colon + 1));
        int target = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        if (connect(target, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) Relay(client, target);
        close(target);
        close(client);
    }

    void Relay(int client, int target) {
        char buf[16384];
        while (!FListener.Stopping()) {
            pollfd p[2] = {{client, POLLIN, 0}, {target, POLLIN, 0}};
            if (poll(p, 2, 20) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                ssize_t n = recv(p[i].fd, buf, sizeof buf, 0);
                if (n <= 0) return;
                send(p[1 - i].fd, buf, static_cast<size_t>(n), MSG_NOSIGNAL);
            }
        }
    }

    std::string FAnswer;
    std::mutex FLock;
    std::vector<std::string> FRequests;
    TLoopbackListener FListener;  // last: its threads use the members above
};

} // namespace vorlin::test
