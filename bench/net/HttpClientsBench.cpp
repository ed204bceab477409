// Many HTTP clients on one thread, one connection per request, as the
// download run drives them: each client starts its next request from its
// OnRequestDone. Prints the request rate; bench/http_clients.sh compares it
// with ApacheBench against the same server.
#include "net/HttpCli.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace vorlin;

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s HOST PORT FILES REQUESTS CLIENTS\n"
                             "  fetches http://HOST:PORT/files/f<i>.bin, i = 0..FILES-1 in turn\n",
                     argv[0]);
        return 2;
    }
    const std::string base = std::string("http://") + argv[1] + ":" + argv[2] + "/files/f";
    const int files = StrToInt(argv[3]);
    const int requests = StrToInt(argv[4]);
    const int clientCount = StrToInt(argv[5]);

    int started = 0, finished = 0, failed = 0;
    int64_t bytes = 0;
    std::vector<std::unique_ptr<THttpCli>> clients;
    auto startNext = [&](THttpCli& c) {
        if (started >= requests) return;
        c.URL = base + std::to_string(started % files) + ".bin";
        ++started;
        c.Get();
    };
    for (int i = 0; i < clientCount; ++i) {
        auto c = std::make_unique<THttpCli>();
        c->SetMultiThreaded(true);
        c->OnRequestDone = [&](THttpCli& sender, THttpRequest, uint16_t error) {
            ++finished;
            if (error != 0 || sender.StatusCode() != 200 || sender.ReceivedCount() <= 0) {
                if (++failed <= 5)
                    std::fprintf(stderr, "failed: %s -> %d %s (error %d)\n", sender.URL.c_str(), sender.StatusCode(),
                                 sender.ReasonPhrase().c_str(), error);
            }
            bytes += sender.ReceivedCount();
            startNext(sender);
        };
        clients.push_back(std::move(c));
    }
    auto t0 = std::chrono::steady_clock::now();
    for (auto& c : clients) startNext(*c);
    while (finished < requests) {
        TMsg msg;
        if (!GetMessage(msg)) break;
        DispatchMessage(msg);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("requests %d failed %d bytes %lld seconds %.3f rate %.1f\n", finished, failed,
                static_cast<long long>(bytes), seconds, finished / seconds);
    return failed == 0 ? 0 : 1;
}
