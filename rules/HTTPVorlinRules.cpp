#include "rules/HTTPVorlinRules.h"

#include "platform/FileSystem.h"
#include "project/DownloadProject.h"
#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinAction.h"
#include "rules/MaskConditions.h"
#include "rules/PluginAction.h"
#include "rules/RuleEditor.h"

#include <exception>
#include <mutex>

namespace vorlin {

namespace {

// Asks every registered action plugin for its actions, in registration order.
template <typename TAppend> void AddPluginActions(TAppend&& append) {
    for (int p = 0; p < FilterActionPluginCount(); ++p) {
        vorlin_sdk::IFilterActionPluginInterface* plugin = FilterActionPlugin(p);
        if (!plugin) continue;
        int32_t count = 0;
        if (vorlin_sdk::Failed(plugin->GetActionCount(&count)))
            throw EPluginActionError("An action plugin failed to tell its number of actions");
        for (int32_t i = 0; i < count; ++i) {
            vorlin_sdk::IFilterActionInterface* action = nullptr;
            if (vorlin_sdk::Failed(plugin->GetAction(i, &action)) || !action) {
                if (action) action->Release();
                throw EPluginActionError("An action plugin failed to hand out its action " + std::to_string(i));
            }
            append(std::make_unique<TPluginAction>(action));
        }
    }
}

} // namespace

THTTPVorlinRule::THTTPVorlinRule() {
    AddPluginActions([this](std::unique_ptr<TFilterAction> action) { AppendAction(std::move(action)); });
}

void THTTPVorlinRule::SetLink(TDownloadLink* link) {
    FLink = link;
    FCachedResult = crUnknown;
}

void THTTPVorlinRule::SetProject(TDownloadProject* project) { FProject = project; }

bool THTTPVorlinRule::Evaluate() {
    if (FCachedResult == crTrue) return true;
    if (FCachedResult == crFalse) return false;
    bool first = true;
    bool result = false;
    for (int i = 0; i < ConditionCount(); ++i) {
        auto* condition = dynamic_cast<THTTPVorlinCondition*>(&Conditions(i));
        if (!condition || !condition->Active) continue;
        if (!HasPhase(condition->GetPhases(), FPhase)) return false;
        condition->SetLink(FLink);
        condition->SetProject(FProject);
        if (first) {
            result = condition->Evaluate();
            first = false;
        } else if (Mode == rmAll) {
            if (!result) return false;
            result = condition->Evaluate();
        } else if (Mode == rmAny) {
            if (result) return true;
            result = condition->Evaluate();
        }
    }
    FCachedResult = result ? crTrue : crFalse;
    return result;
}

void THTTPVorlinRule::ExecuteActions() {
    for (int i = 0; i < ActionCount(); ++i) {
        auto* action = dynamic_cast<THTTPVorlinBaseAction*>(&Actions(i));
        if (!action || !action->Active || !HasPhase(action->GetPhases(), FPhase)) continue;
        action->SetLink(FLink);
        action->SetProject(FProject);
        action->Execute();
    }
}

void THTTPVorlinRule::DescriptionClick(int position) {
    TRuleDescription description = Description();
    if (description.ConnectorAt(position)) {
        Mode = Mode == rmAll ? rmAny : rmAll;
        return;
    }
    if (TFilterElement* element = description.ElementAt(position)) element->Edit();
}

bool THTTPVorlinRule::Edit() {
    IRuleEditor* editor = RuleEditor();
    if (!editor) return false;
    return EditOrRestore(*this, [&] { return editor->EditRule(*this); });
}

THTTPVorlinRules::THTTPVorlinRules() { RegisterHTTPVorlinElements(); }

THTTPVorlinRules::~THTTPVorlinRules() {
    if (FAttachedTo && FAttachedTo->Rules == this) FAttachedTo->Rules = nullptr;
}

std::unique_ptr<TFilterRule> THTTPVorlinRules::RuleClass() const { return std::make_unique<THTTPVorlinRule>(); }

void THTTPVorlinRules::RunPhase(TDownloadLink& link, TDownloadProject& project, int phase) {
    for (int i = 0; i < Count(); ++i) {
        THTTPVorlinRule& rule = Rules(i);
        if (!rule.Enabled) continue;
        rule.SetLink(&link);
        rule.SetProject(&project);
        rule.SetPhase(phase);
        if (rule.Evaluate()) rule.ExecuteActions();
    }
}

void THTTPVorlinRules::PrepareConditions() {
    for (int r = 0; r < Count(); ++r) {
        THTTPVorlinRule& rule = Rules(r);
        for (int c = 0; c < rule.ConditionCount(); ++c)
            if (auto* condition = dynamic_cast<THTTPVorlinCondition*>(&rule.Conditions(c))) condition->Prepare();
    }
}

void THTTPVorlinRules::AttachTo(TDownloadProject& project) {
    if (FAttachedTo && FAttachedTo->Rules == this) FAttachedTo->Rules = nullptr;
    FAttachedTo = &project;
    project.Rules = this;
}

void RegisterHTTPVorlinElements() {
    // One lock so that two lists created at once can't register twice.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    for (int i = 0; i < ConditionClassCount(); ++i)
        if (ConditionClass(i) == &NewCondition<TFileNameCondition>) return;
    RegisterConditionClass(&NewCondition<TFileNameCondition>);
    RegisterConditionClass(&NewCondition<TFileSizeCondition>);
    RegisterConditionClass(&NewCondition<TFilePathCondition>);
    RegisterConditionClass(&NewCondition<TURLCondition>);
    RegisterConditionClass(&NewCondition<TMimeTypeCondition>);
    RegisterActionClass(&NewAction<TForceDownloadAction>);
    RegisterActionClass(&NewAction<TExcludeAction>);
    RegisterActionClass(&NewAction<TCopyToDirAction>);
    RegisterActionClass(&NewAction<TCopyToDirStructureKeepAction>);
}

std::string RulesFileOfProjectFile(const std::string& projectFile) { return projectFile + ".rules"; }

std::string RulesFileOfProject(const TDownloadProject& project) {
    return ChangeFileExt(project.DataFileName, ".prj.rules");
}

std::unique_ptr<THTTPVorlinRules> CreateRunRules(TDownloadProject& project, std::string& error) {
    error.clear();
    auto rules = std::make_unique<THTTPVorlinRules>();
    rules->AttachTo(project);
    try {
        if (!project.DataFileName.empty()) {
            std::string file = RulesFileOfProject(project);
            if (FileExists(file)) rules->LoadFromFile(file);
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    // The rules read before a failure take part in the run as well.
    try {
        rules->PrepareConditions();
    } catch (const std::exception& e) {
        if (error.empty()) error = e.what();
    }
    return rules;
}

} // namespace vorlin
