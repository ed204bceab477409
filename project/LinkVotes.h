// What the link layer asks of the layers above it: the project's rule list
// and the plugins' votes. The rule engine and the plugin system implement
// these; their empty forms below are the behaviour with no rules and no
// plugins.
#pragma once

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

// The rules of a running project, run for one link in one phase:
// 0 before the request, 1 after the response header, 2 after the download.
// Every rule whose conditions hold runs its actions (which may set the
// link's Forced or Excluded flag, or copy its file).
class IRuleList {
public:
    virtual ~IRuleList() = default;
    virtual void RunPhase(TDownloadLink& link, TDownloadProject& project, int phase) = 0;
};

// The votes of the loaded plugins on one link, each already combined over
// the plugins as the program defines it.
class ILinkPluginVotes {
public:
    virtual ~ILinkPluginVotes() = default;
    // Any filter plugin (enabled or not) forces the link: OR, none = false.
    virtual bool ForceLink(TDownloadProject& project, TDownloadLink& link) = 0;
    // Every filter plugin (enabled or not) confirms that a link found outside
    // the scope is outside: AND, none = true.
    virtual bool ConfirmOutside(TDownloadProject& project, TDownloadLink& link) = 0;
    // Every enabled filter plugin accepts the request: AND, none = true.
    virtual bool FilterBeforeRequest(TDownloadProject& project, TDownloadLink& link) = 0;
    // Every enabled filter plugin accepts the response: AND, none = true.
    virtual bool FilterAfterHeader(TDownloadProject& project, TDownloadLink& link) = 0;
    // An enabled download plugin takes a link that is not fetched over HTTP:
    // OR, none = false.
    virtual bool TakeLink(TDownloadProject& project, TDownloadLink& link) = 0;
};

// The votes when no plugin is loaded.
class TNoPluginVotes final : public ILinkPluginVotes {
public:
    bool ForceLink(TDownloadProject&, TDownloadLink&) override { return false; }
    bool ConfirmOutside(TDownloadProject&, TDownloadLink&) override { return true; }
    bool FilterBeforeRequest(TDownloadProject&, TDownloadLink&) override { return true; }
    bool FilterAfterHeader(TDownloadProject&, TDownloadLink&) override { return true; }
    bool TakeLink(TDownloadProject&, TDownloadLink&) override { return false; }
};

// The shared instance used by projects that have no plugin system attached.
ILinkPluginVotes& NoPluginVotes();

} // namespace vorlin
