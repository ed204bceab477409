#include "engine/SecureLinkUpgrade.h"

#include "links/LocalNames.h"
#include "links/ServerRoots.h"
#include "links/UrlHelpers.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

namespace vorlin {

int UpgradeSecureLinks(TDownloadProject& project) {
    int turned = 0;
    for (TDownloadLink* link : *project.Links) {
        if (link->Kind != lkOtherScheme || !link->Path.empty() || HttpSchemeOf(link->Server()) != "https") continue;
        const std::string url = link->Server();
        const int third = PosOfNth("/", url, 3);
        if (third > static_cast<int>(url.size()) || url.find('#') != std::string::npos || EncodeURL(url) != url)
            continue;
        link->Kind = lkHttp;
        link->SetServer(url.substr(0, static_cast<size_t>(third)));
        link->Path = url.substr(static_cast<size_t>(third));
        bool invalid = false;
        link->SetLocalFileName(URLToLocalName(link->Path, InvalidCharReplacement(project), true, invalid));
        link->Invalid = invalid;
        link->SetLocalFileName(FitLocalName(*link, project));
        ++turned;
    }
    return turned;
}

} // namespace vorlin
