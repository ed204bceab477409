// A whole run of the fixture site: nginx serving it from a directory of the
// test's own, and an in-process run of the engine against it, with helpers
// that look at what the run left on disk.
#pragma once

#include "tests/e2e/support/NginxServer.h"
#include "tests/engine/RunHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vorlin::test {

// Every regular file below dir, relative to it ("/" separated), sorted.
std::set<std::string> FilesBelow(const std::string& dir);
std::string ReadWholeFile(const std::string& path);

// What a browser makes of a link's %XX escapes.
std::string PercentDecoded(const std::string& link);

// The values of href, src and background attributes in an HTML text, in
// the order they appear (quoted or not).
std::vector<std::string> LinkAttributes(const std::string& html);

// The run's project starts from a new project's options: offline browsing,
// staying in the start directory, backgrounds and outside images on.
class TFixtureSiteRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The served copy of a site file.
    std::string Served(const std::string& relative) const { return ReadWholeFile(SiteRoot + "/" + relative); }
    // The stored copy below the host directory.
    std::string Stored(const std::string& relative) const { return ReadWholeFile(HostDir() + relative); }
    std::string HostDir() const { return run.TargetDir() + run.HostDir(); }
    std::set<std::string> StoredFiles() const { return FilesBelow(HostDir()); }
    std::string URL(const std::string& path) const { return Server->BaseURL() + path; }

    // Relative links of stored pages that lead to no stored file
    // ("page: link" each); absolute links are collected in Absolute.
    std::vector<std::string> DanglingLinks(std::vector<std::string>* absolute = nullptr) const;

    // Extra server-block directives for this test (before SetUp).
    std::string ExtraConfig;
    // Before SetUp: the site is served over TLS as well, with a certificate
    // of a private authority that the run trusts, and the run starts at its
    // https address; nginx keeps connections between requests.
    bool Secure = false;
    bool KeepConnections = false;
    std::string SiteRoot;
    std::unique_ptr<TNginxServer> Server;
    TRunHarness run;
};

} // namespace vorlin::test
