#include "tests/e2e/support/SiteRun.h"

#include "tests/e2e/support/FixtureSite.h"
#include "tests/support/TestCertificates.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorlin::test {

std::set<std::string> FilesBelow(const std::string& dir) {
    std::set<std::string> files;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) files.insert(std::filesystem::relative(entry.path(), dir).generic_string());
    return files;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string PercentDecoded(const std::string& link) {
    std::string out;
    for (size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size() && std::isxdigit(static_cast<unsigned char>(link[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(link[i + 2]))) {
            out += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += link[i];
        }
    }
    return out;
}

std::vector<std::string> LinkAttributes(const std::string& html) {
    std::vector<std::string> values;
    std::string lower = html;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* name : {"href=", "src=", "background="}) {
        const std::string n = name;
        for (size_t p = 0; (p = lower.find(n, p)) != std::string::npos; p += n.size()) {
            // Only whole attribute names: ".src=" in scripts is not one.
            if (p > 0 && !std::isspace(static_cast<unsigned char>(lower[p - 1]))) continue;
            size_t v = p + n.size();
            if (v >= html.size()) break;
            char quote = html[v];
            size_t end;
            if (quote == '"' || quote == '\'') {
                end = html.find(quote, v + 1);
                ++v;
            } else {
                end = html.find_first_of(" \t\r\n>", v);
            }
            if (end == std::string::npos) end = html.size();
            values.push_back(html.substr(v, end - v));
        }
    }
    return values;
}

void TFixtureSiteRun::SetUp() {
    if (!NginxAvailable()) GTEST_SKIP() << "nginx is not installed";
    SiteRoot = run.Dir() + "/served";
    TNginxOptions options;
    options.ServerConfig = FixtureServerConfig(SiteRoot) + ExtraConfig;
    options.KeepAlive = KeepConnections;
    if (Secure) {
        TTestAuthority authority;
        TTestCertificate certificate = authority.Issue({"127.0.0.1", "localhost"});
        const std::string dir = run.Dir() + "/tls";
        options.CertificateFile = WriteTestFile(dir, "server.pem", certificate.CertificatePem);
        options.KeyFile = WriteTestFile(dir, "server.key", certificate.KeyPem);
        run.Settings.CaCertificates = WriteTestFile(dir, "ca.pem", authority.CertificatePem());
    }
    Server = std::make_unique<TNginxServer>(SiteRoot, options);
    if (Secure)
        WriteFixtureSite(SiteRoot, Server->SecurePort(), "https");
    else
        WriteFixtureSite(SiteRoot, Server->Port());
    run.Project.URL = Secure ? Server->SecureBaseURL() : Server->BaseURL();
    run.Project.DownloadBckgrds = true;
    run.Project.FollowExternalImages = true;
    run.Project.ExcludeList = {"zip", ".exe"};
    run.Clients = 4;
}

void TFixtureSiteRun::TearDown() {
    if (Server) Server->Stop();
}

std::vector<std::string> TFixtureSiteRun::DanglingLinks(std::vector<std::string>* absolute) const {
    std::vector<std::string> dangling;
    namespace fs = std::filesystem;
    for (const std::string& file : StoredFiles()) {
        if (file.size() < 5 || file.substr(file.size() - 5) != ".html") continue;
        fs::path pageDir = fs::path(HostDir() + file).parent_path();
        for (std::string link : LinkAttributes(Stored(file))) {
            if (link.find(':') != std::string::npos || link.rfind("//", 0) == 0) {
                if (absolute) absolute->push_back(file + ": " + link);
                continue;
            }
            std::string target = link.substr(0, link.find_first_of("#?"));
            if (target.empty()) continue;  // a link within the page
            std::error_code ec;
            if (target.front() == '/' || !fs::is_regular_file(pageDir / target, ec))
                dangling.push_back(file + ": " + link);
        }
    }
    return dangling;
}

} // namespace vorlin::test
