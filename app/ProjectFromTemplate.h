// A new project from a template, step by step, with every question asked
// through IDesktopDialogs: the URL (asked and confirmed when none is
// given), a first template when there is none, the template dialog, the
// target directory (unless the default directory is always used), the
// target folder, the name; then the project is made from the template, its
// rules and plugin settings copied beside it, and the template remembered
// as the default. A cancel at any step leaves everything as it was.
// Qt-free: the main window wraps it (HttpGetFormTemplates.cpp).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlin {
struct TProgramSettings;
}

namespace vorlin::app {

class IDesktopDialogs;
class TProjectTree;
struct TProjectNode;

class TProjectFromTemplate {
public:
    TProjectFromTemplate(TProjectTree& tree, IDesktopDialogs& dialogs, TProgramSettings& settings);

    // Called for each template made on the way (the main window opens the
    // options dialog for it, so its settings can be set before it is used).
    std::function<void(TProjectNode* templ)> OnTemplateCreated;

    // Runs the steps. url: empty asks for one; selected: the tree's
    // selection (picks the target folder); caption: the name when the
    // caller knows it (nothing asked). Answers the new project's node, or
    // null when the user cancelled. Errors propagate.
    TProjectNode* Run(const std::string& url, TProjectNode* selected, const std::string& caption = std::string());

    // The templates the dialog lists: directly below "Templates", with a
    // project, sorted by caption as the tree shows them. The program
    // setting "default template" is a row of this list.
    std::vector<TProjectNode*> Templates() const;
    // Where a project from a template goes: "Quick Projects" when nothing
    // (or "Templates", or a template) is selected, else the selected
    // folder or the folder of the selected project.
    TProjectNode* TargetFolder(TProjectNode* selected) const;

private:
    bool AskUrl(std::string& url);
    // A new template named by the user; null when cancelled.
    TProjectNode* NewTemplate();
    TProjectNode* ChooseTemplate();
    // always: in, the setting; out, the check box as the user left it.
    bool ChooseDirectory(std::string& directory, bool& always);
    bool ChooseName(TProjectNode* folder, const std::string& caption, std::string& name);
    // A caption no node of the folder has and no file of a project family
    // below it uses (left-overs would become the new project's data).
    std::string FreeCaption(TProjectNode* folder, const std::string& text) const;
    TProjectNode* Make(TProjectNode* templ, TProjectNode* folder, const std::string& name, const std::string& url,
                       const std::string& directory);
    void RememberDefault(const TProjectNode* templ);

    TProjectTree& FTree;
    IDesktopDialogs& FDialogs;
    TProgramSettings& FSettings;
};

} // namespace vorlin::app
