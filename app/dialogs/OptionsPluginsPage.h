// "Plugins" of the project options dialog: a check list of the plugins in
// plugin order (checked: enabled for the project), "Configure" (the
// plugin's own settings dialog, offered when a fresh settings object says
// it can be configured) and "Show Data" (download plugins). The check
// states are stored by the dialog when it closes, whichever button closed it.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace vorlin {
class TPlugin;
class TPluginSystem;
}

namespace vorlin::app {

class TPluginsPage : public QWidget {
public:
    // plugins may be null (no plugins loaded). The files are the project's
    // ".prj.plugins" and ".dat.plugins" archives.
    TPluginsPage(const TPluginSystem* plugins, std::string projectPluginsFile, std::string dataPluginsFile,
                 QWidget* parent = nullptr);

    QListWidget* List() const { return FList; }
    // One state per plugin, in plugin order.
    std::vector<bool> Checked() const;
    // Stores the check states into the project's archive.
    void StoreStates() const;

    void Configure();
    void ShowData();
    // "Configure" and "Show Data" for the selected plugin.
    void UpdateButtons();

private:
    const TPlugin* SelectedPlugin() const;

    const TPluginSystem* FPlugins;
    std::string FProjectPluginsFile;
    std::string FDataPluginsFile;
    QListWidget* FList;
    QPushButton* FConfigure;
    QPushButton* FShowData;
};

} // namespace vorlin::app
