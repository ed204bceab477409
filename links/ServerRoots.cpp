#include "links/ServerRoots.h"

#include "links/UrlHelpers.h"
#include "platform/StringUtils.h"

namespace vorlin {

std::string HttpSchemeOf(std::string_view url) {
    if (StartsText("http://", url)) return "http";
    if (StartsText("https://", url)) return "https";
    return std::string();
}

std::string HostOfRoot(const std::string& root) { return SplitURL(root).Host; }

bool SameServer(const std::string& root, const std::string& other) {
    if (root == other) return true;
    const std::string scheme = HttpSchemeOf(root);
    const std::string otherScheme = HttpSchemeOf(other);
    if (scheme.empty() || otherScheme.empty() || scheme == otherScheme) return false;
    const std::string host = HostOfRoot(root);
    return !host.empty() && host == HostOfRoot(other);
}

bool SameDomain(const std::string& root, const std::string& startRoot, const std::string& startDomain) {
    if (DomainOfRoot(root) == startDomain) return true;
    const std::string scheme = HttpSchemeOf(root);
    const std::string startScheme = HttpSchemeOf(startRoot);
    if (scheme.empty() || startScheme.empty() || scheme == startScheme) return false;
    const std::string domain = DomainOfRoot(scheme + "://" + HostOfRoot(root) + "/");
    return !domain.empty() && domain == DomainOfRoot(startScheme + "://" + HostOfRoot(startRoot) + "/");
}

} // namespace vorlin
