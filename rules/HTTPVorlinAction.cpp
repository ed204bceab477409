#include "rules/HTTPVorlinAction.h"

#include "project/DownloadLink.h"
#include "rules/RuleClassGUIDs.h"
#include "rules/RuleTexts.h"

namespace vorlin {

vorlin_sdk::GUID TForceDownloadAction::GetClassGUID() const { return GUID_ForceDownloadAction; }
std::string TForceDownloadAction::GetDescription() const { return RuleText(rtForceDownload); }

void TForceDownloadAction::Execute() {
    if (GetLink()) GetLink()->Forced = true;
}

vorlin_sdk::GUID TExcludeAction::GetClassGUID() const { return GUID_ExcludeAction; }
std::string TExcludeAction::GetDescription() const { return RuleText(rtExclude); }

void TExcludeAction::Execute() {
    if (GetLink()) GetLink()->Excluded = true;
}

} // namespace vorlin
