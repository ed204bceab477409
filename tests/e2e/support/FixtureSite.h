// The site that whole-run tests mirror: pages linking pages, images,
// backgrounds, frames and iframes, inline and external scripts, a refresh,
// a BASE tag, redirects, a missing image, a directory listing, a protected
// area, a large file, PDFs and a stylesheet with its own references.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlin::test {

// Writes the site below root (created as needed). scheme and port are the
// server's, for the one page whose BASE tag names the server absolutely.
void WriteFixtureSite(const std::string& root, int port, const std::string& scheme = "http");

// The nginx server-block directives the site needs (redirects, listing,
// the protected area); pass to TNginxServer.
std::string FixtureServerConfig(const std::string& root);

// The protected area's credentials.
constexpr const char* kFixtureUser = "alice";
constexpr const char* kFixturePassword = "wonderland";

// Size of files/big.bin.
constexpr int64_t kFixtureBigFileSize = 3 * 1024 * 1024 + 17;

// Paths (below the site root, "/" separated) of the pages and files that a
// default offline-browsing run with the area's credentials must store. The
// protected page and its image, the moved page (a copy of its target), the
// listing with its files and the refresh target are included; the missing
// image, the outside link, the mail link and what only style sheets name
// are not.
std::vector<std::string> FixtureExpectedFiles();

} // namespace vorlin::test
