#include "rules/CopyActions.h"

#include "links/UrlHelpers.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"
#include "rules/RuleClassGUIDs.h"
#include "rules/RuleEditor.h"
#include "rules/RuleStream.h"

namespace vorlin {

namespace {

// Enough for any sane number of copies; beyond it the directory is
// considered unusable rather than searched forever.
constexpr int kMaxCopyNumber = 100000;

std::string FileNamePart(const std::string& storedName) {
    size_t slash = storedName.find_last_of('\\');
    return slash == std::string::npos ? storedName : storedName.substr(slash + 1);
}

} // namespace

std::string CopyToFreeName(const std::string& source, const std::string& dest) {
    const std::string dir = ExtractFilePath(dest);
    const std::string ext = ExtractFileExt(dest);
    const std::string stem = dest.substr(0, dest.size() - ext.size());
    if (!dir.empty() && !ForceDirectories(dir)) throw Exception("Cannot create the directory \"" + dir + "\"");
    for (int n = 0; n < kMaxCopyNumber; ++n) {
        std::string candidate = n == 0 ? dest : stem + std::to_string(n) + ext;
        if (FileExists(candidate) || DirectoryExists(candidate)) continue;
        TFileStream in(source, fmOpenRead);
        WriteFileAtomically(candidate, [&](TFileStream& out) { out.CopyFrom(in, in.Size()); });
        return candidate;
    }
    throw Exception("No free name to copy \"" + source + "\" to \"" + dest + "\"");
}

vorlin_sdk::GUID TCopyToDirAction::GetClassGUID() const { return GUID_CopyToDirAction; }

std::string TCopyToDirAction::DestinationName() const {
    return GetLink() ? FileNamePart(GetLink()->LocalFileName) : std::string();
}

void TCopyToDirAction::Execute() {
    TDownloadLink* link = GetLink();
    TDownloadProject* project = GetProject();
    if (!link || !project) return;
    if (Directory.empty()) throw Exception(GetDescription() + ": no directory has been chosen");
    std::string name = DestinationName();
    if (FileNamePart(name).empty()) name = FileNamePart(link->LocalFileName);
    if (name.empty()) throw Exception(GetDescription() + ": the link has no local file name");
    CopyToFreeName(LinkFilePath(*project, *link), HostPathBelow(Directory, name));
}

TSentence TCopyToDirAction::Describe() const {
    return FillPlaceholder(RuleText(SentenceText()), Directory.empty() ? RuleText(rtDirectoryPlaceholder) : Directory);
}

std::string TCopyToDirAction::GetTemplateText() const {
    return FillPlaceholder(RuleText(SentenceText()), RuleText(rtDirectoryPlaceholder)).Text;
}

bool TCopyToDirAction::Edit() {
    IRuleEditor* editor = RuleEditor();
    if (!editor) return false;
    std::string chosen = Directory;
    if (!editor->ChooseDirectory(chosen)) return false;
    Directory = chosen;
    return true;
}

void TCopyToDirAction::AssignTo(TFilterElement& dest) const {
    TDescribedElement::AssignTo(dest);
    SameClass<TCopyToDirAction>(dest).Directory = Directory;
}

void TCopyToDirAction::SaveToStream(TStream& stream) const {
    TDescribedElement::SaveToStream(stream);
    WriteString32(stream, Directory);
}

void TCopyToDirAction::LoadFromStream(TStream& stream) {
    TDescribedElement::LoadFromStream(stream);
    Directory = ReadString32(stream);
}

vorlin_sdk::GUID TCopyToDirStructureKeepAction::GetClassGUID() const { return GUID_CopyToDirStructureKeepAction; }

std::string TCopyToDirStructureKeepAction::DestinationName() const {
    TDownloadLink* link = GetLink();
    TDownloadProject* project = GetProject();
    if (!link || !project) return std::string();
    if (link->IsOutOfScope() || project->ScopeMode == smStayInDomain) return link->LocalDir() + link->LocalFileName;
    if (project->ScopeMode == smStayOnServer) return link->LocalFileName;
    // In the start directory: drop the part of the local name that the scope
    // directory became.
    bool invalid = false;
    std::string scopeName = URLToLocalName(link->ScopeDir, project->InvalidCharReplacement(), false, invalid);
    const std::string& local = link->LocalFileName;
    size_t from = std::min(scopeName.size(), local.size());
    while (from < local.size() && local[from] == '\\') ++from;
    return local.substr(from);
}

} // namespace vorlin
