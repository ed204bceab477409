// The loaded plugins' votes on a link, combined as the link checks and the
// scheduler expect (see ILinkPluginVotes). Each question wraps the project
// and the link in fresh plugin-facing objects and asks the plugins of one
// capability list in load order.
#pragma once

#include "project/LinkVotes.h"

namespace vorlin {

class TPluginSystem;

class TPluginVotes final : public ILinkPluginVotes {
public:
    explicit TPluginVotes(TPluginSystem& plugins) : FPlugins(plugins) {}

    bool ForceLink(TDownloadProject& project, TDownloadLink& link) override;
    bool ConfirmOutside(TDownloadProject& project, TDownloadLink& link) override;
    bool FilterBeforeRequest(TDownloadProject& project, TDownloadLink& link) override;
    bool FilterAfterHeader(TDownloadProject& project, TDownloadLink& link) override;
    bool TakeLink(TDownloadProject& project, TDownloadLink& link) override;

private:
    TPluginSystem& FPlugins;
};

} // namespace vorlin
