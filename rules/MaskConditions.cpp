#include "rules/MaskConditions.h"

#include "project/DownloadLink.h"
#include "rules/RuleClassGUIDs.h"

namespace vorlin {

vorlin_sdk::GUID TFileNameCondition::GetClassGUID() const { return GUID_FileNameCondition; }
vorlin_sdk::GUID TFilePathCondition::GetClassGUID() const { return GUID_FilePathCondition; }
vorlin_sdk::GUID TURLCondition::GetClassGUID() const { return GUID_URLCondition; }
vorlin_sdk::GUID TMimeTypeCondition::GetClassGUID() const { return GUID_MimeTypeCondition; }

// Local names are stored with "\" separators; a name taken from a URL may
// still hold "/". Either way the file name is what follows the last one.
std::string TFileNameCondition::Subject() const {
    if (!Link) return std::string();
    const std::string& name = Link->LocalFileName;
    size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string TFilePathCondition::Subject() const { return Link ? Link->Path : std::string(); }

std::string TURLCondition::Subject() const { return Link ? Link->FullURL() : std::string(); }

std::string TMimeTypeCondition::Subject() const { return Link ? Link->MimeType : std::string(); }

} // namespace vorlin
