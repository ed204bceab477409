// A real web server for whole-site tests: nginx on a free 127.0.0.1 port with
// a configuration written for the test, started as a child process and
// stopped by its PID when the object goes.
#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

namespace vorlin::test {

class TNginxServer {
public:
    // root: the directory served; serverConfig: extra directives placed in
    // the server block (locations, redirects, auth). "@ROOT@" and "@PORT@" in
    // serverConfig are replaced. Throws std::runtime_error with nginx's error
    // log when it does not come up.
    TNginxServer(const std::string& root, const std::string& serverConfig = std::string());
    ~TNginxServer();
    TNginxServer(const TNginxServer&) = delete;
    TNginxServer& operator=(const TNginxServer&) = delete;

    int Port() const { return FPort; }
    // "http://127.0.0.1:<port>/"
    std::string BaseURL() const;
    // The access log so far, one line per request:
    //   127.0.0.1 "GET /path HTTP/1.0" 200 1234 range="..." ims="..." auth="user"
    std::string AccessLog() const;
    // The lines of the access log for requests of this path.
    std::vector<std::string> RequestsOf(const std::string& path) const;
    // Lines of the access log for requests of this path.
    int RequestCount(const std::string& path) const;
    void Stop();

private:
    bool TryStart(const std::string& root, const std::string& serverConfig);
    std::string FPrefix;
    int FPort = 0;
    pid_t FPid = -1;
};

// True when the nginx binary is installed (tests skip themselves otherwise).
bool NginxAvailable();

} // namespace vorlin::test
