// FIXME: stands in for the project and URL code until it lands on this
// branch; removed by the merge that brings it.
#include "links/UrlHelpers.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "project/LinkVotes.h"

namespace vorlin {

class TDownloadLinks {};
class TDownloadedList {};
class TFilteredOutList {};

ILinkPluginVotes& NoPluginVotes() {
    static TNoPluginVotes votes;
    return votes;
}

TDownloadProject::TDownloadProject() : Plugins(&NoPluginVotes()) {}
TDownloadProject::~TDownloadProject() = default;
std::string TDownloadProject::InvalidCharReplacement() const { return ","; }

void TDownloadLink::SetServer(const std::string& server) {
    Server = server;
    std::string host = server.substr(server.find("//") + 2);
    LocalDir = host.substr(0, host.find('/')) + "\\";
}
bool TDownloadLink::IsForced() { return Forced || Project->Plugins->ForceLink(*Project, *this); }
bool TDownloadLink::IsOutOfScope() { return Project->Plugins->ConfirmOutside(*Project, *this); }
bool TDownloadLink::AcceptBeforeRequest() { return true; }
bool TDownloadLink::AcceptAfterHeaders() { return true; }

std::string ResolveURL(const std::string& base, const std::string& ref) { return base + ref; }
std::string EncodeURL(std::string_view text) { return std::string(text); }
std::string HTTPDecode(std::string_view text) { return std::string(text); }

} // namespace vorlin
