#include "app/ProjectFromTemplate.h"

#include "app/DesktopDialogs.h"
#include "app/MainWindowTexts.h"
#include "app/ProjectTree.h"
#include "app/dialogs/TemplateTexts.h"
#include "app/texts/Texts.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"

#include <algorithm>
#include <cctype>

namespace vorlin::app {

namespace {

std::string Trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The template's rules and plugin settings, copied whole or not at all:
// written to a temporary name and renamed, so a full disk leaves no half
// file that the new project would read as its own.
void CopyWhole(const std::string& from, const std::string& to) {
    TFileStream source(from, fmOpenRead);
    WriteFileAtomically(
        to,
        [&](TFileStream& target) {
            char buffer[65536];
            for (;;) {
                const int64_t got = source.Read(buffer, sizeof buffer);
                if (got <= 0) break;
                target.WriteBuffer(buffer, got);
            }
        },
        kPrivateFileMode);
}

} // namespace

TProjectFromTemplate::TProjectFromTemplate(TProjectTree& tree, IDesktopDialogs& dialogs, TProgramSettings& settings)
    : FTree(tree), FDialogs(dialogs), FSettings(settings) {
    AddMainWindowTexts();
    AddTemplateDialogTexts();
}

std::vector<TProjectNode*> TProjectFromTemplate::Templates() const {
    std::vector<TProjectNode*> templates;
    for (auto& child : FTree.Templates()->Children)
        if (!child->IsFolder && child->Project) templates.push_back(child.get());
    std::stable_sort(templates.begin(), templates.end(), [](const TProjectNode* a, const TProjectNode* b) {
        return Lower(a->Caption) < Lower(b->Caption);
    });
    return templates;
}

TProjectNode* TProjectFromTemplate::TargetFolder(TProjectNode* selected) const {
    if (!selected || FTree.IsUnderTemplates(selected)) return FTree.QuickProjects();
    return FTree.IsFolderKind(selected) ? selected : selected->Parent;
}

TProjectNode* TProjectFromTemplate::Run(const std::string& url, TProjectNode* selected, const std::string& caption) {
    // 1. The address.
    std::string address = Trimmed(url);
    if (address.empty() && !AskUrl(address)) return nullptr;

    // 2. A first template when there is none.
    if (Templates().empty()) {
        if (FDialogs.Question(Text(mtNoTemplateYet), TButtons::bnYesNo, TAnswer::anYes) != TAnswer::anYes)
            return nullptr;
        if (!NewTemplate()) return nullptr;
    }

    // 3. The template dialog.
    TProjectNode* templ = ChooseTemplate();
    if (!templ) return nullptr;

    // 4. The target directory (the check box's setting holds once the project is made).
    std::string directory;
    bool always = FSettings.AlwaysUseDefaultDir;
    if (!ChooseDirectory(directory, always)) return nullptr;

    // 5. and 6. Where and under which name.
    TProjectNode* folder = TargetFolder(selected);
    std::string name;
    if (!ChooseName(folder, caption, name)) return nullptr;

    // 7.
    TProjectNode* node = Make(templ, folder, name, address, directory);
    if (always != FSettings.AlwaysUseDefaultDir) {
        FSettings.AlwaysUseDefaultDir = always;
        // "Always this directory" means the one just chosen.
        if (always) FSettings.DefaultDownloadDir = directory;
    }
    return node;
}

bool TProjectFromTemplate::AskUrl(std::string& url) {
    std::string typed;
    for (;;) {
        if (!FDialogs.InputText(Text(mtUrlCaption), Text(mtUrlPrompt), typed)) return false;
        typed = Trimmed(typed);
        if (typed.empty()) continue;
        if (FDialogs.Question(Text(mtUrlSure), TButtons::bnYesNo, TAnswer::anYes) == TAnswer::anYes) break;
    }
    url = typed;
    return true;
}

TProjectNode* TProjectFromTemplate::NewTemplate() {
    std::string name = Text(mtNewTemplate);
    if (!FDialogs.InputText(Text(mtTemplateNameCaption), Text(mtTemplateNamePrompt), name)) return nullptr;
    name = Trimmed(TProjectTree::CleanCaption(name, ','));
    if (name.empty()) name = Text(mtNewTemplate);
    TProjectNode* templ = FTree.NewProject(FTree.Templates(), FreeCaption(FTree.Templates(), name));
    RememberDefault(templ);
    if (OnTemplateCreated) OnTemplateCreated(templ);
    return templ;
}

TProjectNode* TProjectFromTemplate::ChooseTemplate() {
    for (;;) {
        const std::vector<TProjectNode*> templates = Templates();
        std::vector<std::string> captions;
        for (const TProjectNode* templ : templates) captions.push_back(templ->Caption);
        int row = FSettings.DefaultTemplate >= 0 && FSettings.DefaultTemplate < static_cast<int>(templates.size())
                      ? FSettings.DefaultTemplate
                      : -1;
        switch (FDialogs.ChooseTemplate(captions, row)) {
        case TTemplateChoice::tcCancel: return nullptr;
        case TTemplateChoice::tcNew: NewTemplate(); break;  // cancelled or not, the dialog comes again
        case TTemplateChoice::tcChosen:
            if (row >= 0 && row < static_cast<int>(templates.size())) return templates[static_cast<size_t>(row)];
            FDialogs.Message(Text(txSelectTemplateFirst), true);
            break;
        }
    }
}

bool TProjectFromTemplate::ChooseDirectory(std::string& directory, bool& always) {
    // A default directory that is always used, but was never set, would
    // give a project without a target: then the user is asked after all.
    if (FSettings.AlwaysUseDefaultDir && !FSettings.DefaultDownloadDir.empty()) {
        directory = FSettings.DefaultDownloadDir;
        return true;
    }
    std::string chosen = FSettings.DefaultDownloadDir;
    if (!FDialogs.ChooseTargetDirectory(chosen, always)) return false;
    chosen = Trimmed(chosen);
    if (chosen.empty()) return false;
    directory = chosen;
    return true;
}

bool TProjectFromTemplate::ChooseName(TProjectNode* folder, const std::string& caption, std::string& name) {
    const std::string fallback = FreeCaption(folder, Text(mtNewProject));
    std::string text = Trimmed(caption);
    if (text.empty()) {
        text = fallback;
        if (!FDialogs.InputText(Text(mtProjectNameCaption), Text(mtProjectNamePrompt), text)) return false;
        text = Trimmed(text);
    }
    text = TProjectTree::CleanCaption(text, '_');
    name = text.empty() ? fallback : FreeCaption(folder, text);
    return true;
}

std::string TProjectFromTemplate::FreeCaption(TProjectNode* folder, const std::string& text) const {
    const std::string base = FTree.BasePath(folder) + "/";
    auto taken = [&](const std::string& caption) {
        if (FTree.ChildByCaption(folder, caption)) return true;
        for (const char* suffix : kProjectFileSuffixes)
            if (FileExists(base + caption + suffix)) return true;
        return false;
    };
    if (!taken(text)) return text;
    for (int n = 2;; ++n) {
        std::string candidate = text + " (" + std::to_string(n) + ")";
        if (!taken(candidate)) return candidate;
    }
}

TProjectNode* TProjectFromTemplate::Make(TProjectNode* templ, TProjectNode* folder, const std::string& name,
                                         const std::string& url, const std::string& directory) {
    const std::string from = FTree.BasePath(templ);
    const std::string to = FTree.BasePath(folder) + "/" + name;
    ForceDirectories(FTree.BasePath(folder));
    std::vector<std::string> copied;
    try {
        for (const char* suffix : {".prj.plugins", ".prj.rules"}) {
            if (!FileExists(from + suffix)) continue;
            CopyWhole(from + suffix, to + suffix);
            copied.push_back(to + suffix);
        }
        TProjectNode* node = FTree.NewProject(folder, name);
        if (node->Caption != name) throw Exception("the project " + name + " could not be made");
        TDownloadProject& project = *node->Project;
        project.Assign(*templ->Project);
        project.URL = url;
        project.Destination = directory;
        project.SaveToFile(to + ".prj");
        RememberDefault(templ);
        return node;
    } catch (...) {
        // Files of a project that was never made would be taken up by the
        // next one of that name.
        if (!FTree.ChildByCaption(folder, name))
            for (const std::string& file : copied) DeleteFile(file);
        throw;
    }
}

void TProjectFromTemplate::RememberDefault(const TProjectNode* templ) {
    const std::vector<TProjectNode*> templates = Templates();
    auto found = std::find(templates.begin(), templates.end(), templ);
    if (found != templates.end()) FSettings.DefaultTemplate = static_cast<int32_t>(found - templates.begin());
}

} // namespace vorlin::app
