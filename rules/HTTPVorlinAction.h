// The actions of the download engine's rules, which act on one link of one
// project in the phases they name, and the two flag actions: force a link's
// download or exclude it.
#pragma once

#include "rules/FilterElement.h"
#include "rules/RulePhases.h"

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

class THTTPVorlinBaseAction : public TFilterAction {
public:
    virtual void SetLink(TDownloadLink* link) = 0;
    virtual void SetProject(TDownloadProject* project) = 0;
    virtual TDownloadLink* GetLink() const = 0;
    virtual TDownloadProject* GetProject() const = 0;
    virtual TPhaseSet GetPhases() const = 0;
};

class THTTPVorlinAction : public THTTPVorlinBaseAction {
public:
    void SetLink(TDownloadLink* link) override { FLink = link; }
    void SetProject(TDownloadProject* project) override { FProject = project; }
    TDownloadLink* GetLink() const override { return FLink; }
    TDownloadProject* GetProject() const override { return FProject; }

private:
    TDownloadLink* FLink = nullptr;
    TDownloadProject* FProject = nullptr;
};

// An action without settings and with a fixed sentence.
class TFlagAction : public THTTPVorlinAction {
public:
    TPhaseSet GetPhases() const override { return PhaseSet({0, 1}); }
    std::string GetTemplateText() const override { return GetDescription(); }
    int GetLinkStart() const override { return 0; }
    int GetLinkLength() const override { return 0; }
    bool Edit() override { return false; }
};

// Sets the link's Forced flag: the link is fetched whatever the limits say.
class TForceDownloadAction : public TFlagAction {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    std::string GetDescription() const override;
    void Execute() override;
};

// Sets the link's Excluded flag: the link is not fetched unless forced.
class TExcludeAction : public TFlagAction {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    std::string GetDescription() const override;
    void Execute() override;
};

} // namespace vorlin
