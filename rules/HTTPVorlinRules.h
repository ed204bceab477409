// The download engine's rule list ("Advanced Filters" of a project): rules
// of the form "if these conditions are met, execute these actions", run for
// every link at three points of its life (before the request, after the
// response header, after the download). Stored beside the project file as
// ".prj.rules".
#pragma once

#include "project/LinkVotes.h"
#include "rules/FilterRules.h"
#include "rules/RuleDescription.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

class THTTPVorlinRule : public TFilterRule {
public:
    // The registered elements, then one plugin action for each action that
    // each registered action plugin hands out.
    THTTPVorlinRule();

    // Sets the link under evaluation and forgets the cached result.
    void SetLink(TDownloadLink* link);
    void SetProject(TDownloadProject* project);
    void SetPhase(int phase) { FPhase = phase; }
    int Phase() const { return FPhase; }

    // Whether the active conditions hold for the link in the current phase.
    // A condition that can't take part in the phase makes the rule false
    // without caching that, so a later phase evaluates it again.
    bool Evaluate() override;
    // Runs every active action that takes part in the current phase.
    void ExecuteActions() override;
    // A click on a connector word toggles Mode; a click on an element's
    // line opens that element's Edit.
    void DescriptionClick(int position) override;
    // Opens the rule dialog; a cancelled dialog leaves the rule as it was.
    bool Edit() override;

    TRuleDescription Description() const { return DescribeRule(*this); }

private:
    enum : uint8_t { crUnknown = 0, crFalse = 1, crTrue = 2 };

    TDownloadLink* FLink = nullptr;
    TDownloadProject* FProject = nullptr;
    int FPhase = 0;
    uint8_t FCachedResult = crUnknown;
};

class THTTPVorlinRules : public TFilterRules, public IRuleList {
public:
    // Registers the built-in conditions and actions if they are not yet.
    THTTPVorlinRules();
    // Detaches the list from the project it was attached to.
    ~THTTPVorlinRules() override;

    THTTPVorlinRule& Add() { return static_cast<THTTPVorlinRule&>(TFilterRules::Add()); }
    THTTPVorlinRule& Rules(int index) { return static_cast<THTTPVorlinRule&>(TFilterRules::Rules(index)); }

    // Runs the enabled rules for the link in phase, in list order: every
    // rule whose conditions hold runs its actions. Exceptions of conditions
    // (a malformed mask) and actions (a failed copy) reach the caller.
    void RunPhase(TDownloadLink& link, TDownloadProject& project, int phase) override;

    // Prepare of every condition of every rule.
    void PrepareConditions();
    // Becomes project.Rules until this list is freed.
    void AttachTo(TDownloadProject& project);

protected:
    std::unique_ptr<TFilterRule> RuleClass() const override;

private:
    TDownloadProject* FAttachedTo = nullptr;
};

// Registers, in their fixed order, the built-in conditions (file name, file
// size, file path, URL, content type) and actions (force, exclude, copy,
// copy keeping the path). Does nothing when they are registered already.
void RegisterHTTPVorlinElements();

// The rules file of a project file ("x.prj" -> "x.prj.rules").
std::string RulesFileOfProjectFile(const std::string& projectFile);
// The rules file of a project's run: its DataFileName with the extension
// replaced by ".prj.rules".
std::string RulesFileOfProject(const TDownloadProject& project);

// The rules of a run: creates the list, attaches it to project.Rules, loads
// the project's rules file when it exists and prepares the conditions. On a
// failure the list keeps what was loaded, and error receives the message
// the run logs after text 620; otherwise error is left empty.
std::unique_ptr<THTTPVorlinRules> CreateRunRules(TDownloadProject& project, std::string& error);

} // namespace vorlin
