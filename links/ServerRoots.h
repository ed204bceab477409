// Server roots of the http family, "http://host[:port]/" and
// "https://host[:port]/", as the scope rules compare them: the two schemes
// of one host are one site, so a site that moved to https, or that links
// both, is mirrored whole. Both keep their own roots (the stored link data
// and the requests tell them apart); only the comparisons join them.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

// "http" or "https" for a URL of the http family (the scheme compared
// without regard to case); empty for anything else.
std::string HttpSchemeOf(std::string_view url);
// The host of a server root, without user, password and port.
std::string HostOfRoot(const std::string& root);
// The same server for the scope: equal roots; or http and https roots of
// the same host, whatever their ports (each scheme has its own).
bool SameServer(const std::string& root, const std::string& other);
// The same domain for the scope: the domains of the two roots are equal;
// across http and https the ports are left out of the comparison.
bool SameDomain(const std::string& root, const std::string& startRoot, const std::string& startDomain);

} // namespace vorlin
