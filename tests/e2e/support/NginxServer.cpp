#include "tests/e2e/support/NginxServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorlin::test {
namespace {

const char* kNginx = "/usr/sbin/nginx";

int FreeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool Accepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size())
        s.replace(p, from.size(), to);
    return s;
}

} // namespace

bool NginxAvailable() { return ::access(kNginx, X_OK) == 0; }

TNginxServer::TNginxServer(const std::string& root, const std::string& serverConfig)
    : TNginxServer(root, TNginxOptions{serverConfig, "", "", false}) {}

TNginxServer::TNginxServer(const std::string& root, const TNginxOptions& options) {
    char pattern[] = "/tmp/vorlin-nginx-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot make nginx prefix");
    FPrefix = std::string(pattern) + "/";
    ::chmod(pattern, 0755);
    for (int attempt = 0; attempt < 5; ++attempt)
        if (TryStart(root, options)) return;
    throw std::runtime_error("nginx did not start: " + ReadAll(FPrefix + "error.log"));
}

bool TNginxServer::TryStart(const std::string& root, const TNginxOptions& options) {
    const bool tls = !options.CertificateFile.empty() && !options.KeyFile.empty();
    FPort = FreeLoopbackPort();
    FSecurePort = 0;
    if (tls)
        do FSecurePort = FreeLoopbackPort();
        while (FSecurePort == FPort);
    std::string extra = Replace(Replace(Replace(options.ServerConfig, "@ROOT@", root), "@PORT@", std::to_string(FPort)),
                                "@SECURE_PORT@", std::to_string(FSecurePort));
    std::ofstream conf(FPrefix + "nginx.conf");
    // Workers run as root when the tests do, so that files in private
    // temporary directories stay readable.
    if (::geteuid() == 0) conf << "user root;\n";
    conf << "daemon off;\nworker_processes 1;\npid " << FPrefix << "nginx.pid;\n"
         << "error_log " << FPrefix << "error.log warn;\n"
         << "events { worker_connections 1024; }\n"
         << "http {\n  include /etc/nginx/mime.types;\n  default_type application/octet-stream;\n"
         // The request line, status and size, and the headers that make a
         // request conditional or partial.
         << "  log_format vorlin '$remote_addr \"$request\" $status $body_bytes_sent "
            "range=\"$http_range\" ims=\"$http_if_modified_since\" auth=\"$remote_user\" "
            "conn=$connection scheme=$scheme';\n"
         << "  access_log " << FPrefix << "access.log vorlin;\n"
         << "  client_body_temp_path " << FPrefix << "body;\n  proxy_temp_path " << FPrefix
         << "proxy;\n  fastcgi_temp_path " << FPrefix << "fastcgi;\n  uwsgi_temp_path " << FPrefix
         << "uwsgi;\n  scgi_temp_path " << FPrefix << "scgi;\n"
         << "  sendfile on;\n"
         << (options.KeepAlive ? "  keepalive_timeout 30s;\n  keepalive_requests 100000;\n" : "  keepalive_timeout 0;\n")
         << "  server {\n    listen 127.0.0.1:" << FPort << ";\n";
    if (tls)
        conf << "    listen 127.0.0.1:" << FSecurePort << " ssl;\n"
             << "    ssl_certificate " << options.CertificateFile << ";\n"
             << "    ssl_certificate_key " << options.KeyFile << ";\n"
             << "    ssl_protocols TLSv1.2 TLSv1.3;\n";
    conf << "    server_name localhost;\n"
         << "    root " << root << ";\n" << extra << "\n  }\n}\n";
    conf.close();

    pid_t pid = ::fork();
    if (pid == 0) {
        std::string c = FPrefix + "nginx.conf";
        ::execl(kNginx, "nginx", "-p", FPrefix.c_str(), "-c", c.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    FPid = pid;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            return false;  // it exited: port taken or bad configuration
        }
        if (Accepts(FPort) && (FSecurePort == 0 || Accepts(FSecurePort))) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
    return false;
}

TNginxServer::~TNginxServer() {
    Stop();
    std::string cmd = "rm -rf '" + FPrefix + "'";
    if (!FPrefix.empty() && std::system(cmd.c_str()) != 0) {
    }
}

void TNginxServer::Stop() {
    if (FPid <= 0) return;
    ::kill(FPid, SIGTERM);
    for (int i = 0; i < 250; ++i) {
        if (::waitpid(FPid, nullptr, WNOHANG) == FPid) {
            FPid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
}

std::string TNginxServer::BaseURL() const { return "http://127.0.0.1:" + std::to_string(FPort) + "/"; }

std::string TNginxServer::SecureBaseURL() const { return "https://127.0.0.1:" + std::to_string(FSecurePort) + "/"; }

std::string TNginxServer::AccessLog() const { return ReadAll(FPrefix + "access.log"); }

int TNginxServer::LoggedRequests() const {
    std::istringstream log(AccessLog());
    int n = 0;
    for (std::string line; std::getline(log, line);) ++n;
    return n;
}

int TNginxServer::LoggedConnections() const {
    std::istringstream log(AccessLog());
    std::set<std::string> connections;
    for (std::string line; std::getline(log, line);) {
        size_t at = line.find(" conn=");
        if (at != std::string::npos) connections.insert(line.substr(at + 6, line.find(' ', at + 6) - at - 6));
    }
    return static_cast<int>(connections.size());
}

std::vector<std::string> TNginxServer::RequestsOf(const std::string& path) const {
    std::vector<std::string> lines;
    std::istringstream log(AccessLog());
    const std::string needle = " " + path + " HTTP/";
    for (std::string line; std::getline(log, line);)
        if (line.find(needle) != std::string::npos) lines.push_back(line);
    return lines;
}

int TNginxServer::RequestCount(const std::string& path) const { return static_cast<int>(RequestsOf(path).size()); }

} // namespace vorlin::test
