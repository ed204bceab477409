// A real web server for whole-site tests: nginx on a free 127.0.0.1 port with
// a configuration written for the test, started as a child process and
// stopped by its PID when the object goes.
#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

namespace vorlin::test {

struct TNginxOptions {
    // Extra directives placed in the server block (locations, redirects,
    // auth); "@ROOT@", "@PORT@" and "@SECURE_PORT@" are replaced.
    std::string ServerConfig;
    // Both set: a second port serves the same site over TLS with them.
    std::string CertificateFile, KeyFile;
    // Connections kept between requests (otherwise closed after each answer).
    bool KeepAlive = false;
};

class TNginxServer {
public:
    // root: the directory served; serverConfig: as TNginxOptions's. Throws
    // std::runtime_error with nginx's error log when it does not come up.
    TNginxServer(const std::string& root, const std::string& serverConfig = std::string());
    TNginxServer(const std::string& root, const TNginxOptions& options);
    ~TNginxServer();
    TNginxServer(const TNginxServer&) = delete;
    TNginxServer& operator=(const TNginxServer&) = delete;

    int Port() const { return FPort; }
    // "http://127.0.0.1:<port>/"
    std::string BaseURL() const;
    // The TLS port (0 without TLS) and "https://127.0.0.1:<secure port>/".
    int SecurePort() const { return FSecurePort; }
    std::string SecureBaseURL() const;
    // The access log so far, one line per request:
    //   127.0.0.1 "GET /path HTTP/1.0" 200 1234 range="..." ims="..." auth="user" conn=7 scheme=https
    // (conn: nginx's serial number of the connection that carried it).
    std::string AccessLog() const;
    // The lines of the access log for requests of this path.
    std::vector<std::string> RequestsOf(const std::string& path) const;
    // Lines of the access log for requests of this path.
    int RequestCount(const std::string& path) const;
    // How many requests the log holds, and over how many connections.
    int LoggedRequests() const;
    int LoggedConnections() const;
    void Stop();

private:
    bool TryStart(const std::string& root, const TNginxOptions& options);
    std::string FPrefix;
    int FPort = 0;
    int FSecurePort = 0;
    pid_t FPid = -1;
};

// True when the nginx binary is installed (tests skip themselves otherwise).
bool NginxAvailable();

} // namespace vorlin::test
