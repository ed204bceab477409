// The project options dialog "Eigenschaften": one project or template of
// the project tree on a tree of pages (General: Project Mode, Scope, Start
// Data, Manners; Filters: File Extensions, Limits, Misc, Advanced Filters; Plugins).
//
// Life: constructed (the pages show the project, or their initial states
// while the project IsNew; the rules file is read into the dialog's own
// rule list; the plugin boxes show the stored settings) → exec() → Close().
// "&OK" asks before the URL of a downloaded project changes, copies the
// pages into the project and clears IsNew; "Ab&brechen" touches nothing.
// Close() stores every plugin's check state in ".prj.plugins" (after either
// button) and writes ".prj.rules" only after OK. The caller saves the ".prj".
#pragma once

#include "project/DownloadProject.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {
class THTTPVorlinRules;
class TPluginSystem;
}

namespace vorlin::ui {
class TTreeConfig;
}

namespace vorlin::app {

class TAdvancedFiltersPage;
class TOptionsPage;
class TPluginsPage;
class TStartDataPage;

// What the dialog needs to know besides the project.
struct TOptionsFormContext {
    std::string ProjectFile;  // host path of the node's ".prj"
    bool IsTemplate = false;  // directly below "Templates": no URL and target fields
    std::string URLText;      // the URL edit's text for a new project
    const TPluginSystem* Plugins = nullptr;  // null: no plugins loaded
};

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    TOptionsForm(TDownloadProject& project, TOptionsFormContext context, QWidget* parent = nullptr);
    ~TOptionsForm() override;

    ui::TTreeConfig* Pages() const { return FPages; }
    // The page with that tag (tgProjectMode ... tgPlugins, tgManners).
    QWidget* Page(int tag) const;
    TAdvancedFiltersPage* RulesPage() const { return FRulesPage; }
    TPluginsPage* PluginsPage() const { return FPluginsPage; }
    THTTPVorlinRules& Rules() const { return *FRules; }

    // Asked before the URL of a project with link data changes; true goes
    // on. A message box with OK and Cancel unless the caller answers.
    std::function<bool(const std::string& warning)> ConfirmURLChange;

    void accept() override;
    // After exec(): the plugin states, and after OK the rules file. Errors
    // of plugins reach the caller (after the rules are safe).
    void Close();

private:
    TDownloadProject& FProject;
    TOptionsFormContext FContext;
    std::unique_ptr<THTTPVorlinRules> FRules;
    bool FRulesUnreadable = false;
    bool FClosed = false;
    ui::TTreeConfig* FPages = nullptr;
    std::vector<TOptionsPage*> FFieldPages;
    TStartDataPage* FStartData = nullptr;
    TAdvancedFiltersPage* FRulesPage = nullptr;
    TPluginsPage* FPluginsPage = nullptr;
};

// The file names of a project's family, from its ".prj".
std::string ProjectBaseOf(const std::string& projectFile);

} // namespace vorlin::app
